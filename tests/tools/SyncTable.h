// What `zmctl sync` prints for a simulated box as delivered: its four zones
// (numbered as the window heads them, channels as its lists show them) and
// the parameters Synchronize Data reads.
#pragma once

inline const char* const kSyncTable =
    "zone  lo_key  hi_key  lo_note  midi_chan  atk_vel  rel_vel  atk_type  aftrtch_type\n"
    "1          0      87       21          1       14        0         0             0\n"
    "2          0      87       21          2       14        0         0             0\n"
    "3          0      87       21          3       14        0         0             0\n"
    "4          0      87       21          4       14        0         0             0\n"
    "\n"
    "  P  name                value\n"
    "  0  ZmFunc_StationName      1\n"
    "  6  ZmFunc_ZoneMutBits     15\n"
    " 12  ZmFunc_NumberKeys      88\n"
    " 21  ZmFunc_KeyTrigPos       3\n"
    " 23  ZmFunc_KeyRetrigW       8\n"
    " 25  ZmFunc_AftrTchRng      10\n"
    " 26  ZmFunc_AftrTchHld      10\n"
    " 27  ZmFunc_AftrTchDel     200\n"
    " 29  ZmFunc_OrganMapMde      0\n"
    " 30  ZmFunc_AotBooleans      0\n"
    " 31  ZmFunc_Aot_t_delay      0\n"
    "identification: ZM1 Station 1\n";
