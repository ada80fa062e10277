// condemo/show_facts.h - the show around the song: the song's file, the
// show's title, and the order position at which the show ends.
#pragma once

namespace condemo {

inline constexpr const char* kSongFile = "DiRURODU.XM";
inline constexpr const char* kShowTitle = "Vorl+Zeb - Kalt #20";
inline constexpr int kEndOrder = 21;

}  // namespace condemo
