#include "pack_fault.h"

namespace hx {

const char* describePackFault(PackFault fault) {
    switch (fault) {
    case PackFault::None:
        return "no fault";
    case PackFault::TruncatedHeader:
        return "the file ends inside the header";
    case PackFault::NoEntries:
        return "the pack has no entries";
    case PackFault::TruncatedNameRecords:
        return "the file ends inside the name records";
    case PackFault::TruncatedEntryTable:
        return "the file ends inside the entry table";
    case PackFault::OffsetTooLarge:
        return "data offset is 2^31 or more";
    case PackFault::DataEndTooLarge:
        return "end of data is 2^31 or more";
    case PackFault::DataPastEndOfFile:
        return "data runs past the end of the file";
    case PackFault::TotalTooLarge:
        return "total size reaches 2^31 bytes";
    case PackFault::NameEmpty:
        return "name is empty";
    case PackFault::NameTooLong:
        return "name is 84 bytes or longer";
    case PackFault::NameHasZeroByte:
        return "name contains a zero byte";
    case PackFault::NameHasControlCharacter:
        return "name contains a control character";
    case PackFault::NameHasColon:
        return "name contains a colon (drive letter or alternate data stream)";
    case PackFault::NameIsRooted:
        return "name starts with a backslash or slash";
    case PackFault::NameHasParentComponent:
        return "name has a \"..\" component";
    case PackFault::NameIsDevice:
        return "name is a Windows device name";
    case PackFault::UnknownStampVersion:
        return "unknown hxpack stamp version";
    case PackFault::TableChecksumMismatch:
        return "table CRC-32 mismatch";
    case PackFault::EntryChecksumMismatch:
        return "data CRC-32 mismatch";
    case PackFault::TruncatedData:
        return "the file ends inside the entry's data";
    }
    return "unknown fault";
}

} // namespace hx
