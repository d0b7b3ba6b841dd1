# The roles of a pattern's bits and the colours every view draws them in: one
# table, from which the build writes a C++ header (the explanation library's
# role names, the window's colours) and a style sheet (the page's colours).
#
# Each row: the role, its fill and edge in the light scheme, its fill and edge
# in the dark scheme. ZELQUIN_MUTED_TEXT is the colour of the bit numbers and
# the legend's words on the window or the page, light and dark. Every fill keeps a contrast of
# 4.5:1 or more with the text drawn on it (#1d1d1f light, #ececea dark), every
# edge 3:1 or more with the page, and the muted text 4.5:1 or more with the
# background of either scheme.
set(ZELQUIN_BIT_ROLES
  "sign     #cfe0fb #3d68b0 #1d3a66 #7fa6e6"
  "exponent #d3f0d0 #3f7a38 #1d4420 #74bf6b"
  "integer  #e6d9f7 #6a4c9c #3b2a57 #b79be6"
  "fraction #fbd9c9 #a0522d #55290f #e0976c")
set(ZELQUIN_MUTED_TEXT "#4f4f4f" "#b8b8b4")

# Writes HEADER and STYLE from the table.
function(zelquin_write_bit_roles header style)
  set(enumerators "")
  set(rows "")
  set(light "")
  set(dark "")
  set(rules "")
  foreach(row IN LISTS ZELQUIN_BIT_ROLES)
    string(REGEX REPLACE " +" ";" fields "${row}")
    list(GET fields 0 name)
    list(GET fields 1 lightFill)
    list(GET fields 2 lightEdge)
    list(GET fields 3 darkFill)
    list(GET fields 4 darkEdge)
    string(SUBSTRING "${name}" 0 1 first)
    string(TOUPPER "${first}" first)
    string(SUBSTRING "${name}" 1 -1 rest)
    string(APPEND enumerators "    ${first}${rest},\n")
    foreach(colour lightFill lightEdge darkFill darkEdge)
      string(REPLACE "#" "0x" ${colour}Hex "${${colour}}")
    endforeach()
    string(APPEND rows "    {\"${name}\", ${lightFillHex}, ${lightEdgeHex}, ${darkFillHex}, ${darkEdgeHex}},\n")
    string(APPEND light "  --${name}: ${lightFill};\n  --${name}-edge: ${lightEdge};\n")
    string(APPEND dark "    --${name}: ${darkFill};\n    --${name}-edge: ${darkEdge};\n")
    string(APPEND rules ".bits .${name}, .legend .${name} { background: var(--${name}); border-color: var(--${name}-edge); }\n")
  endforeach()
  list(GET ZELQUIN_MUTED_TEXT 0 mutedLight)
  list(GET ZELQUIN_MUTED_TEXT 1 mutedDark)
  string(REPLACE "#" "0x" mutedLightHex "${mutedLight}")
  string(REPLACE "#" "0x" mutedDarkHex "${mutedDark}")

  set(text "// Written by the build from explain/bit_roles.cmake: the roles of a pattern's\n")
  string(APPEND text "// bits, and the colours every view draws them in (0xRRGGBB).\n")
  string(APPEND text "#pragma once\n\n#include <cstdint>\n#include <string_view>\n\nnamespace zelquin::explain {\n\n")
  string(APPEND text "enum class BitRole : std::uint8_t {\n${enumerators}};\n\n")
  string(APPEND text "struct BitRoleColours {\n    std::string_view name;\n")
  string(APPEND text "    std::uint32_t lightFill;\n    std::uint32_t lightEdge;\n")
  string(APPEND text "    std::uint32_t darkFill;\n    std::uint32_t darkEdge;\n};\n\n")
  string(APPEND text "// Indexed by BitRole.\ninline constexpr BitRoleColours kBitRoles[] = {\n${rows}};\n\n")
  string(APPEND text "inline constexpr std::uint32_t kLightMutedText = ${mutedLightHex};\n")
  string(APPEND text "inline constexpr std::uint32_t kDarkMutedText = ${mutedDarkHex};\n\n")
  string(APPEND text "}  // namespace zelquin::explain\n")
  file(CONFIGURE OUTPUT "${header}" CONTENT "${text}" @ONLY)

  set(css "/* Written by the build from explain/bit_roles.cmake: the bits' colours. */\n")
  string(APPEND css ":root {\n${light}  --muted: ${mutedLight};\n}\n")
  string(APPEND css "@media (prefers-color-scheme: dark) {\n  :root {\n${dark}    --muted: ${mutedDark};\n  }\n}\n")
  string(APPEND css "${rules}")
  file(CONFIGURE OUTPUT "${style}" CONTENT "${css}" @ONLY)
endfunction()
