// ZELQUIN_INLINE keeps a hot path of the conversions in one piece, whatever the
// compiler's own inlining limits: a reader's record built inline lets the
// compiler drop the fields a conversion does not use.
#pragma once

#if defined(__GNUC__)
#define ZELQUIN_INLINE [[gnu::always_inline]] inline
#else
#define ZELQUIN_INLINE inline
#endif
