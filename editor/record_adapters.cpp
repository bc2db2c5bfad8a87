#include "editor/record_adapters.h"

#include "editor/AnalogChannelInfomation.h"
#include "editor/EditDigitalChannel.h"
#include "editor/EditSatelliteInfomation.h"
#include "editor/EditTransponderInfo.h"
#include "editor/editor_core.h"

namespace orvane::editor {

void Fill(TfrmEditSatelliteInfomation& dialog, const DATABASESATELLITEINFO& satellite) {
  dialog.SetSatelliteName(satellite.name);
  dialog.SetDiseqcCode(satellite.diseqc);
  dialog.SetEastDegree(satellite.eastPosition);
}

SatelliteHeader Read(const TfrmEditSatelliteInfomation& dialog) {
  return {StoredSatelliteName(dialog.GetSatelliteName()), dialog.GetDiseqcCode(), dialog.GetEastDegree()};
}

void Fill(TfrmEditTransponderInfo& dialog, const DATABASETRANSPONDERINFO& transponder) {
  dialog.SetFrequency(transponder.frequency);
  dialog.SetSymbolRate(transponder.symbolRate);
  dialog.SetPolarity(transponder.polarity);
  dialog.SetFEC(transponder.fec);
}

TransponderFields Read(const TfrmEditTransponderInfo& dialog, const TransponderFields& previous) {
  return {dialog.GetFrequency(), dialog.GetSymbolRate(), StoredIndex(dialog.GetPolarity(), previous.polarity),
          StoredIndex(dialog.GetFEC(), previous.fec)};
}

TransponderFields FieldsOf(const DATABASETRANSPONDERINFO& transponder) {
  return {transponder.frequency, transponder.symbolRate, transponder.polarity, transponder.fec};
}

void Fill(TfrmEditDigitalChannel& dialog, const DATABASECHANNELINFO& channel) {
  dialog.SetVideoPID(channel.videoPid);
  dialog.SetAudioPID(channel.audioPid);
  dialog.SetPCRPID(channel.pcrPid);
  dialog.SetChannelName(channel.name);
}

DATABASECHANNELINFO Read(const TfrmEditDigitalChannel& dialog, const DATABASECHANNELINFO&) {
  return {dialog.GetVideoPID(), dialog.GetAudioPID(), dialog.GetPCRPID(),
          StoredChannelName(dialog.GetChannelName())};
}

void Fill(TfrmAnalogChannelInfomation& dialog, const DATABASECHANNELINFO& channel) {
  dialog.SetLeftAudioFrequency(channel.videoPid);
  dialog.SetRightAudioFrequency(channel.audioPid);
  dialog.SetVideoPolarity(channel.pcrPid);
  dialog.SetChannelName(channel.name);
}

DATABASECHANNELINFO Read(const TfrmAnalogChannelInfomation& dialog, const DATABASECHANNELINFO& previous) {
  return {dialog.GetLeftAudioFrequency(), dialog.GetRightAudioFrequency(),
          StoredIndex(dialog.GetVideoPolarity(), previous.pcrPid),
          StoredChannelName(dialog.GetChannelName())};
}

}  // namespace orvane::editor
