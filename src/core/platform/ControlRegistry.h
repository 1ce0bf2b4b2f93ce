#pragma once

#include <QString>

// The per-user registry of playback control modules: which module implements a control known
// by its name (ProgID) and by its class identifier. Kept in an INI file under the user's data
// folder, one section per ProgID.
class ControlRegistry {
public:
    // The registry file; $XDG_DATA_HOME (or ~/.local/share) + "/velo/controls.ini".
    static QString filePath();

    // True when PROGID is registered with a class identifier ("zar.Player.1\CLSID" exists).
    static bool hasClassId(const QString& progId);
    // The module registered for CLSID, or empty.
    static QString moduleFor(const QString& clsid);
    // Records that MODULE implements PROGID with CLSID.
    static bool registerControl(const QString& progId, const QString& clsid, const QString& module);
};
