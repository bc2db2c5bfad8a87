// Files of the tools, named relative to the working folder.
#pragma once

namespace orvane::files {

// Every save writes it as well; "Update channel data" sends it to the receiver.
inline constexpr const char* kLatestDatabasePath = "./LastestTP.Dat";
// What the editor's save dialog proposes, and the data area download's database file.
inline constexpr const char* kDefaultDatabasePath = "./sattpdat.tpd";

}  // namespace orvane::files
