#pragma once

#include <QSettings>
#include <QString>

// The persistent settings store shared by the editor and the updater.
// Every user opens its own QSettings with these names; nothing is cached.
namespace vc::settings {

inline constexpr const char *Organisation = "Mervalo";
inline constexpr const char *Application = "VantorCreator";

inline constexpr const char *Version = "main/version";
inline constexpr const char *Language = "main/language";
inline constexpr const char *Gadget = "main/gadget";
inline constexpr const char *CurrentFile = "main/currentfile";
inline constexpr const char *CurrentPicPath = "main/currentpicpath";
inline constexpr const char *WindowSize = "window/size";
inline constexpr const char *WindowMaximize = "window/maximize";
// Whether edits snap to the song's beats (bool, default off).
inline constexpr const char *SnapToBeats = "edit/snapToBeats";
// The size and digest of the firmware the updater last put in place, so
// that flashing it later can check it is still that firmware.
inline constexpr const char *UpdatedFirmware = "update/firmware";

// The version written at every start (the project's version in CMake).
inline constexpr double ProgramVersion = VC_PROGRAM_VERSION;

// "main/language": 1 = Traditional Chinese (source texts), 2 = English,
// 99 when read at start-up means "never set" (first run).
inline constexpr int LanguageChinese = 1;
inline constexpr int LanguageEnglish = 2;
inline constexpr int LanguageUnset = 99;
// Gadget chosen on the very first run: the third catalogue row.
inline constexpr int FirstRunGadget = 3;

inline QSettings open()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, Organisation, Application);
}

// Default start locations, below the user's home directory.
QString defaultDocumentsPath();
QString defaultPicturesPath();
// The user's folders where the dialogs start: the home folder when one
// does not exist.
QString defaultMusicPath();

} // namespace vc::settings
