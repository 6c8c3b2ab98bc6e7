#pragma once
// What the help dialogs and the updater say about the product: the build identification after
// its name, where feedback goes and where to read more. Kept in one place so that the About box,
// the feedback dialog and the updater's links agree.
#include <QString>

namespace productinfo {

inline constexpr char kSupportAddress[] = "support@xqftrace.example";
inline constexpr char kForumLink[] = "https://forum.xqftrace.example/";
inline constexpr char kWebsiteLink[] = "https://xqftrace.example/";
inline constexpr char kDownloadLink[] = "https://xqftrace.example/download/";
// The About box's further line.
inline constexpr char kAboutLine[] = "Viewer and analyser of EGL and OpenGL ES traces";

// Follows the product's name wherever a build is identified: " (build linux-x86_64)".
QString BuildSuffix();

} // namespace productinfo
