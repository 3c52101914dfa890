#pragma once
// The file names of every image the program shows.

inline const char16_t* const kProgramImages[] = {
    u"ArrowDown.png", u"RDelete.png", u"PenAdd.png",  u"PenEdit.png",    u"PenDel.png",     u"FindStart.png",
    u"DonateCoffee_Halvard.png",      u"Add.png",     u"Del.png",        u"RCopy.png",      u"RMove.png",
    u"RRename.png",   u"RSaveExcel.png", u"RSaveTxt.png", u"arrow_down.png", u"arrow_up.png",
};
