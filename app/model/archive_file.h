#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

#include "app/model/archive_record.h"

// An archive file holds the instrument's answers to the block reads, stored as they were
// received: two answers a record, first half first, with nothing between them. One answer is
// 0xFF, '!', the address, ';', 64 hexadecimal digits, ';', the answer's CRC and '\r'; the two
// numbers are read, not compared, and may follow blanks.
//
// The largest archive file an import takes. A whole archive of the instrument, 512 records, is a
// file of 76,800 bytes; the bound takes more than two hundred of them (about 110,000 records) and
// keeps a file picked by mistake from filling memory and the table.
inline constexpr std::size_t kArchiveFileMaxBytes = std::size_t{16} << 20;

// Hands every record the file holds to onRecord, in order, and answers how many there were. The
// reading ends at the first answer that breaks the format; a record whose second answer lacks
// only its ending still counts.
int ReadArchiveFile(std::string_view bytes, const std::function<void(const TArchiveRecord&)>& onRecord);
