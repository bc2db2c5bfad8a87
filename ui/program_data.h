// The data the whole program shares for its run: one editing model and one set of the three buffers
// exchanged with the Korva library. The editor, the SatCoDX import and the download all work on these. The
// application context owns the one instance.
#pragma once

#include "channeldb/records.h"

namespace orvane::ui {

struct ProgramData {
  DATABASESATELLITETABLE database;
  SatelliteImage satelliteImage;
  SatelliteNameTable satelliteNameTable;
  ChannelTable channelTable;
};

}  // namespace orvane::ui
