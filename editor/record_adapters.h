// One adapter per record type between the model and its record dialog: Fill puts a record's values into the
// dialog (as the dialog's Set calls), Read takes the saved values back as the editor stores them (names cut
// to their stored field, a drop-down left without a choice keeps the record's previous index).
#pragma once

#include "channeldb/records.h"
#include "editor/editor_commands.h"

class TfrmEditSatelliteInfomation;
class TfrmEditTransponderInfo;
class TfrmEditDigitalChannel;
class TfrmAnalogChannelInfomation;

namespace orvane::editor {

void Fill(TfrmEditSatelliteInfomation& dialog, const DATABASESATELLITEINFO& satellite);
SatelliteHeader Read(const TfrmEditSatelliteInfomation& dialog);

void Fill(TfrmEditTransponderInfo& dialog, const DATABASETRANSPONDERINFO& transponder);
TransponderFields Read(const TfrmEditTransponderInfo& dialog, const TransponderFields& previous);
TransponderFields FieldsOf(const DATABASETRANSPONDERINFO& transponder);

void Fill(TfrmEditDigitalChannel& dialog, const DATABASECHANNELINFO& channel);
DATABASECHANNELINFO Read(const TfrmEditDigitalChannel& dialog, const DATABASECHANNELINFO& previous);

// An analog channel: left and right audio frequency in the first two values, the band index in the third.
void Fill(TfrmAnalogChannelInfomation& dialog, const DATABASECHANNELINFO& channel);
DATABASECHANNELINFO Read(const TfrmAnalogChannelInfomation& dialog, const DATABASECHANNELINFO& previous);

}  // namespace orvane::editor
