// Where the window remembers its settings, made safe to read before anything reads it.
//
// The settings file is read with an ordinary open, which blocks forever on a named pipe and
// reads a device without end. When the file at the settings place exists and is not a
// regular file (or a link to one), the window keeps this session's settings in a private
// folder of its own instead, and says so on stderr; the odd file is left alone.
#ifndef FARROWDALE_APP_SETTINGS_PLACE_H_
#define FARROWDALE_APP_SETTINGS_PLACE_H_

#include <QTemporaryDir>
#include <memory>

namespace farrowdale {

// Call after the application's organisation and name are set, before the first QSettings.
// Returns nothing when the settings file is fine (or missing); else the folder that holds
// this session's settings, to be kept as long as the application runs.
std::unique_ptr<QTemporaryDir> UseRegularSettingsFile();

}  // namespace farrowdale

#endif  // FARROWDALE_APP_SETTINGS_PLACE_H_
