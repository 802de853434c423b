// window_probe.dll, which the window driver hooks into the program it drives:
// asked with kMeasureMessage (sent to the program's window), it measures each
// control's text in the control's own font, and each picture, which only that
// process can read, and writes into the shared report kReportName: "checked
// N" (the texts measured), then in Z order "picture CLASS WxH" for each
// picture shown and "cut "TEXT" takes WxH where there is WxH" for each text
// that does not fit its control's client area.
#pragma once

inline constexpr char kMeasureMessage[] = "sarvo-window-probe-measure";
inline constexpr char kReportName[] = "Local\\sarvo-window-probe-report";
inline constexpr unsigned kReportSize = 64 * 1024;
inline constexpr char kProbeHook[] = "MeasureTexts";
