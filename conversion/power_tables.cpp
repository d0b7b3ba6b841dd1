// The power-of-ten tables of the extended arithmetic. Each entry is the exact
// power rounded to the nearest 80-bit significand; scripts/gen_power_tables.py
// prints them from exact integer arithmetic, and the unit tests prove each one.
#include "power_tables.h"

namespace zelquin {

const ExtendedValue PositivePowersOfTen[kPowerTableSize] = {
    {0xA000000000000000u, 0x0000u, 16386, false},  // 10^1
    {0xC800000000000000u, 0x0000u, 16389, false},  // 10^2
    {0xFA00000000000000u, 0x0000u, 16392, false},  // 10^3
    {0x9C40000000000000u, 0x0000u, 16396, false},  // 10^4
    {0xC350000000000000u, 0x0000u, 16399, false},  // 10^5
    {0xF424000000000000u, 0x0000u, 16402, false},  // 10^6
    {0x9896800000000000u, 0x0000u, 16406, false},  // 10^7
    {0xBEBC200000000000u, 0x0000u, 16409, false},  // 10^8
    {0x8E1BC9BF04000000u, 0x0000u, 16436, false},  // 10^16
    {0xD3C21BCECCEDA100u, 0x0000u, 16462, false},  // 10^24
    {0x9DC5ADA82B70B59Du, 0xF020u, 16489, false},  // 10^32
    {0xEB194F8E1AE525FDu, 0x5DD0u, 16515, false},  // 10^40
    {0xAF298D050E4395D6u, 0x9671u, 16542, false},  // 10^48
    {0x82818F1281ED449Fu, 0xBFF9u, 16569, false},  // 10^56
    {0xC2781F49FFCFA6D5u, 0x3CBFu, 16595, false},  // 10^64
    {0x93BA47C980E98CDFu, 0xC66Fu, 16808, false},  // 10^128
    {0xE070F78D3927556Au, 0x85BCu, 17020, false},  // 10^192
    {0xAA7EEBFB9DF9DE8Du, 0xDDBCu, 17233, false},  // 10^256
    {0x81842F29F2CCE375u, 0xE6A1u, 17446, false},  // 10^320
    {0xC4C5E310AEF8AA17u, 0x1028u, 17658, false},  // 10^384
    {0x957A4AE1EBF7F3D3u, 0xA7EBu, 17871, false},  // 10^448
    {0xE319A0AEA60E91C6u, 0xCC65u, 18083, false},  // 10^512
    {0xC976758681750C17u, 0x650Du, 19784, false},  // 10^1024
    {0xB2B8353B3993A7E4u, 0x4258u, 21485, false},  // 10^1536
    {0x9E8B3B5DC53D5DE4u, 0xA74Du, 23186, false},  // 10^2048
    {0x8CA554C020A1F0A6u, 0x5DFFu, 24887, false},  // 10^2560
    {0xF9895D25D88B5A8Au, 0xFDD1u, 26587, false},  // 10^3072
    {0xDD5DC8A2BF27F3F7u, 0x95AAu, 28288, false},  // 10^3584
    {0xC46052028A20979Au, 0xC94Cu, 29989, false},  // 10^4096
};

const ExtendedValue NegativePowersOfTen[kPowerTableSize] = {
    {0xCCCCCCCCCCCCCCCCu, 0xCCCDu, 16379, false},  // 10^-1
    {0xA3D70A3D70A3D70Au, 0x3D71u, 16376, false},  // 10^-2
    {0x83126E978D4FDF3Bu, 0x645Au, 16373, false},  // 10^-3
    {0xD1B71758E219652Bu, 0xD3C3u, 16369, false},  // 10^-4
    {0xA7C5AC471B478423u, 0x0FD0u, 16366, false},  // 10^-5
    {0x8637BD05AF6C69B5u, 0xA640u, 16363, false},  // 10^-6
    {0xD6BF94D5E57A42BCu, 0x3D33u, 16359, false},  // 10^-7
    {0xABCC77118461CEFCu, 0xFDC2u, 16356, false},  // 10^-8
    {0xE69594BEC44DE15Bu, 0x4C2Fu, 16329, false},  // 10^-16
    {0x9ABE14CD44753B52u, 0xC492u, 16303, false},  // 10^-24
    {0xCFB11EAD453994BAu, 0x67DEu, 16276, false},  // 10^-32
    {0x8B61313BBABCE2C6u, 0x2324u, 16250, false},  // 10^-40
    {0xBB127C53B17EC159u, 0x5561u, 16223, false},  // 10^-48
    {0xFB158592BE068D2Eu, 0xEED7u, 16196, false},  // 10^-56
    {0xA87FEA27A539E9A5u, 0x3F24u, 16170, false},  // 10^-64
    {0xDDD0467C64BCE4A0u, 0xAC7Du, 15957, false},  // 10^-128
    {0x91FF83775423CC06u, 0x7B63u, 15745, false},  // 10^-192
    {0xC0314325637A1939u, 0xFA91u, 15532, false},  // 10^-256
    {0xFD00B897478238D0u, 0x8921u, 15319, false},  // 10^-320
    {0xA686E3E8B11B0857u, 0x88DCu, 15107, false},  // 10^-384
    {0xDB377599B6074244u, 0x84C6u, 14894, false},  // 10^-448
    {0x9049EE32DB23D21Cu, 0x7133u, 14682, false},  // 10^-512
    {0xA2A682A5DA57C0BDu, 0x87A6u, 12981, false},  // 10^-1024
    {0xB759449F52A711B2u, 0x68E2u, 11280, false},  // 10^-1536
    {0xCEAE534F34362DE4u, 0x4925u, 9579, false},   // 10^-2048
    {0xE8FB7DC2DEC0A404u, 0x598Fu, 7878, false},   // 10^-2560
    {0x8350BF3C91575A87u, 0xE79Eu, 6178, false},   // 10^-3072
    {0x9406AF8F83FD6265u, 0x4B4Eu, 4477, false},   // 10^-3584
    {0xA6DD04C8D2CE9FDEu, 0x2DE4u, 2776, false},   // 10^-4096
};

}  // namespace zelquin
