#pragma once

#include <QString>

// The numbered texts of the program. The table holds the Chinese texts; the English ones come
// from the translation catalogue when it is loaded.
namespace StringId {

inline constexpr int AboutMenu = 101;
inline constexpr int PortItem = 102; // "串口%d"
inline constexpr int SampleNumberColumn = 103;
inline constexpr int MeanColumn = 105;
inline constexpr int DeviationColumn = 106;
inline constexpr int FontFace = 107;
inline constexpr int MeanLine = 111;
inline constexpr int OpenPortFailed = 112;
inline constexpr int ReportWord = 113;
inline constexpr int DeviationLine = 115;
inline constexpr int ModeTitleBase = 116; // + mode
inline constexpr int RowLabelBase = 120; // + mode
inline constexpr int UnitLine = 126;
inline constexpr int SampleNameLine = 127;
inline constexpr int BatchNoLine = 128;
inline constexpr int OrderLabel = 129;
inline constexpr int InspectorLine = 130;
inline constexpr int DateLine = 131;

// The framework's own texts.
inline constexpr int AppTitle = 57344; // empty in the Chinese table
inline constexpr int ParseInt = 61712; // "请键入一个整数。"
inline constexpr int ParseIntRange = 61714; // %1 and %2: the bounds
inline constexpr int FileErrorBase = 61856; // + cause, 61856 to 61870; %1: the file's path
inline constexpr int FileNone = 61856;
inline constexpr int FileDiskFull = 61869;
inline constexpr int FileErrorLast = 61870;

} // namespace StringId

// The current-language text of entry id; empty for an id the table does not hold.
QString LoadString(int id);
