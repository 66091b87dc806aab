#pragma once
// The categories the program puts in front of the server's own.
#include <string_view>

namespace SpecialCategory {
inline constexpr std::u16string_view AddGroup = u"addgrp";
inline constexpr std::u16string_view Recent = u"recent";
inline constexpr std::u16string_view All = u"";
inline constexpr std::u16string_view Favorite = u"fav";
inline constexpr std::u16string_view Lock = u"lock";

// Right after a download the movie and series lists begin with these two;
// the next rebuild replaces them with the full set.
inline constexpr std::u16string_view DownloadAllName = u"ALL";
inline constexpr std::u16string_view DownloadFavoritesName = u"FAVORITES";

inline constexpr std::u16string_view AddGroupName = u"+ Add Group";
inline constexpr std::u16string_view RecentName = u"Recently Viewed";
inline constexpr std::u16string_view AllName = u"All";
inline constexpr std::u16string_view FavoriteName = u"Favorite";
inline constexpr std::u16string_view LockName = u"Lock";
}  // namespace SpecialCategory
