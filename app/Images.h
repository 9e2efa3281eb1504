#pragma once

#include <QIcon>

namespace qel {

// The status and command images (imgSmallPics, 0 to 22), the two frames of
// the new-mail animation and the program's icon, drawn from the SVG
// resources once per run. GUI thread only.
namespace images {

inline constexpr int SmallPicCount = 23;

QIcon SmallPic(int index);
QIcon NewMailFrame(int frame);
QIcon AppIcon();

// Indexes of the command images.
inline constexpr int FileExit = 8;
inline constexpr int CustomStatus = 9;
inline constexpr int Comments = 12;
inline constexpr int Settings = 14;
inline constexpr int Users = 15;
inline constexpr int Departments = 16;
inline constexpr int Statuses = 17;
inline constexpr int SendMessage = 18;
inline constexpr int InBox = 21;
inline constexpr int FilterOnDepartment = 22;

} // namespace images
} // namespace qel
