// Why a pack is refused.
#pragma once

namespace hx {

enum class PackFault {
    None,

    // Layout and limits, found while reading the table.
    TruncatedHeader,      // the file ends inside the 12-byte header
    NoEntries,            // the entry count N is 0
    TruncatedNameRecords, // the file ends inside the N name records
    TruncatedEntryTable,  // the file ends inside a name or a location record
    OffsetTooLarge,       // a data offset is 2^31 or more
    DataEndTooLarge,      // offset + size is 2^31 or more
    DataPastEndOfFile,    // an entry's data range runs past the end of the file
    TotalTooLarge,        // the sum of the sizes reaches 2^31

    // Names: the format's limits, then names that would write outside their destination folder.
    NameEmpty,               // name length 0
    NameTooLong,             // name length 84 or more
    NameHasZeroByte,         // a zero byte inside the name
    NameHasControlCharacter, // a byte from 1 to 31: no Windows file name holds one
    NameHasColon,            // a drive letter ("C:x") or an alternate data stream ("x:s")
    NameIsRooted,            // starts with a backslash or slash: absolute, or a UNC or device path
    NameHasParentComponent,  // a ".." component (slashes count as backslashes)
    NameIsDevice,            // a component that Windows opens as a device (CON, NUL, COM1, LPT1, ...)

    // Checks of this project's stamp (see pack_layout.h); only stamped packs are checked.
    UnknownStampVersion,   // the magic is there but the version is not one this code knows
    TableChecksumMismatch, // the table's CRC-32 differs from the one in the header
    EntryChecksumMismatch, // an entry's CRC-32 differs from the one in its name record
    TruncatedData,         // the file ended while an entry's data was read
};

// A short phrase for the fault ("name has a \"..\" component"), without entry or file.
const char* describePackFault(PackFault fault);

} // namespace hx
