#pragma once

#include <QLatin1StringView>

// Names of the session variables that hold the working files' extensions
// (constants: the work folders name movies and pictures ".rar").
namespace fotarel::extensions {

inline constexpr QLatin1StringView Movie{"Edit_kuozhanming_1"};       // template movies and group movies
inline constexpr QLatin1StringView Picture{"Edit_kuozhanming_2"};     // pictures a movie loads
inline constexpr QLatin1StringView GroupPicture{"Edit_kuozhanming_3"}; // a group's first picture
inline constexpr QLatin1StringView Jpeg{"Edit_kuozhanming_5"};        // ".jpg" copies
inline constexpr QLatin1StringView Bitmap{"Edit_kuozhanming_7"};      // ".bmp" frames and thumbnails

} // namespace fotarel::extensions
