// The object manager's lists of object types: aircraft, missiles and bullets.
// Each is read from a data file of the object catalog through the file
// manager, so that a network player who receives the host's copy (into the
// cache directory) reads that one when the list is reloaded.
//
// A data file is an INI document with one section per type, in list order:
//     [Kestrel]
//     Name=Kestrel trainer          the type's name (up to 63 characters)
//     Text=Two-seat jet trainer     a description (up to 127 characters)
//     Range=220,480                 first range: start, end
//     Range2=180,540                second range (optional): start, end
//     Flags=1                       two flag words (whole numbers, default 0)
//     Flags2=0
//     Network=FALSE                 not flown in network games (FALSE or 0;
//                                   usable when missing)
// A section without a Name is left out.
#pragma once

#include "files/paths.h"
#include "varn/obj.h"

#include <vector>

namespace sample {

// "100,180" or "-5, 7": two whole numbers; false for anything else.
bool ParseRange(const char* text, int32_t* start, int32_t* end);

class TypeList final : public ITypeList {
public:
    // `kind` (a text that outlives the list) names it in log lines ("aircraft").
    TypeList(const char* kind, const char* dataFileName);

    int GetCount() override { return static_cast<int>(m_types.size()); }
    void GetRecord(int index, void** record) override;
    const char* GetDataFileName() override { return m_dataFile; }
    // Reads the list again from its data file (the index and option of the
    // call are not used: the whole list is read).
    void Reload(int index, int option) override;
    int IsUsable(int index) override;

    // Names the data file (its first 259 characters; an empty name is ignored).
    void SetDataFileName(const char* name);
    // Reads the data file; false (and an empty list) when it cannot be read.
    bool Load();
    // The list's name, for example "aircraft".
    const char* Kind() const { return m_kind; }
    // Empties the list and gives its memory back.
    void Forget();

private:
    struct Type {
        AircraftRecord record;
        bool usable;
    };
    const char* m_kind;
    char m_dataFile[kPathSize];
    std::vector<Type> m_types;
};

}  // namespace sample
