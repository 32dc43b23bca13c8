#pragma once
// The fixed texts of the "Kastrell" cursor scheme as the registry holds them.
// "%SYSTEMROOT%" is stored literally: whoever reads the values expands it.

namespace kastrell {

inline constexpr const char* schemeName = "Kastrell";

// Its default value names the current scheme; its other values, one per
// cursor role, name the cursor files.
inline constexpr const char* cursorKeyPath = "Control Panel\\cursors";
inline constexpr const char* schemesKeyPath = "Control Panel\\cursors\\Schemes";

// The cursor key's value that says where the current scheme comes from:
// 1, a user scheme listed under the scheme key.
inline constexpr const char* schemeSourceName = "Scheme Source";
inline constexpr unsigned long userSchemeSource = 1;

// The scheme folder as the registry values name it.
inline constexpr const char* registeredCursorFolder = "%SYSTEMROOT%\\Cursors\\Kastrell\\";

// The scheme's cursor files in the system's fixed order of cursor roles,
// empty where the scheme keeps the system's own cursor.
inline constexpr const char* schemeList =
    "%SYSTEMROOT%\\Cursors\\Kastrell\\Kastrell.cur,"
    "%SYSTEMROOT%\\Cursors\\Kastrell\\qilo.cur,"
    "%SYSTEMROOT%\\Cursors\\Kastrell\\tervox.cur,"
    "%SYSTEMROOT%\\Cursors\\Kastrell\\zun.cur,,,,,"
    "%SYSTEMROOT%\\Cursors\\Kastrell\\lonat.cur,"
    "%SYSTEMROOT%\\Cursors\\Kastrell\\brin.cur,"
    "%SYSTEMROOT%\\Cursors\\Kastrell\\vad1.cur,"
    "%SYSTEMROOT%\\Cursors\\Kastrell\\vad2.cur,"
    "%SYSTEMROOT%\\Cursors\\Kastrell\\krot.cur,,"
    "%SYSTEMROOT%\\Cursors\\Kastrell\\pamu.cur";

}  // namespace kastrell
