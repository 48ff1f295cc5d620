// Ringing-line numbers: the line types the pages store and the line numbers of the phone interface.
#pragma once

namespace corvina {

// A line as the pages store it and pass to the per-line phone operations (6 to 26).
enum eProfileSettingsType : int {
    eAllCalls = 6, // "Other calls" in the caller-group family, "All calls" elsewhere
    eOtherCallsLine1 = 7,
    eOtherCallsLine2 = 8,
    ePhonebookCalls = 9,
    eGroup1 = 10, // caller groups 1 to 8: 10 to 17
    eGroupNone = 18,
    eMessages = 19,
    eAlarm = 20,
    eAlarmClock = 21,    // "Appointments" on the platform phones
    eCellBroadcast = 22, // "External Calls" on the platform phones
    eStartMelody = 23,   // "Internal Calls" on the platform phones
    eEndMelody = 24,
    eOpenGlidex = 25,
    eCloseGlidex = 26,
};

// A line number of the phone interface's volume write (1 to 20).
enum eRingingLine : int {};

// The phone interface's line number for a line type; 0 for a type outside 6 to 26.
eRingingLine RingingLineFromProfileType(int profileType);

} // namespace corvina
