// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the records of ADI and ADX files from other programs and from this one. The reader
// is forgiving about what real files hold: no header, field names in any letter case, text and
// comments between fields, type letters, lengths in UTF-8 or Shift_JIS bytes (or, from some
// programs, in characters).
#pragma once

#include "adif/adif_export.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vz {
class ProgressSink;
}

namespace vz::adif {

struct ParsedFile
{
    Format format = Format::Adi;
    Charset charset = Charset::Ascii; // what the non-ASCII texts were read as
    bool lengthsInCharacters = false; // some lengths counted characters, not bytes
    bool wellFormed = true;           // false when an ADX file was not XML as expected
    // The file ends inside a record (a length past its end, an element never closed): that
    // record was not handed on. Where it starts, and its CALL in the file's encoding.
    bool cutOff = false;
    std::size_t cutOffAt = 0;
    std::string cutOffCallsign;
    std::size_t skipped = 0; // bytes before the text read (a byte-order mark)
    bool fromUtf16 = false;  // the file was UTF-16, read as its UTF-8 equivalent
};

// The text of a UTF-16 file (little- or big-endian, with or without a byte-order mark) in
// UTF-8; nullopt when the bytes are not UTF-16.
std::optional<std::string> utf8FromUtf16(std::string_view bytes);

// Reads the records of an ADI or ADX file; `onRecord` gets each with its values still in the
// file's encoding (decided for the whole file first: ASCII, UTF-8, Shift_JIS, else
// Windows-1252) and its field names in upper case. `progress` gets the byte position.
// Each ADI length is read in bytes when that ends the value cleanly (what follows, past any
// blanks, is the next "<" or the end of the file), else in characters when that does; a value
// neither ends cleanly is taken in bytes and named in its record (AdifRecord::unclearLength).
// A single pass needs no starting over: `startOver` is kept for callers and not called.
using RecordHandler = std::function<void(AdifRecord &, Charset)>;
ParsedFile parseAdif(std::string_view bytes, const RecordHandler &onRecord, ProgressSink &progress,
                     const std::function<void()> &startOver = {});

// Where the records of a stretch of a file go, and how that stretch forgets what it was given.
struct StretchHandler
{
    RecordHandler onRecord;
    std::function<void()> startOver;
};

// The same, reading a file of at least `splitFrom` bytes in two stretches at once: the records
// before a split past the middle (just after an <EOR> in ADI, where a record element starts in
// ADX) go to `first` (on this thread, with progress), the others to `second` (on a thread of
// its own). The split is kept only when reading from the start gets exactly there between two
// records, so the two stretches hand on the records a single pass would, in the same order.
// Otherwise `second` is told to start over and `first` gets every record. Smaller files and
// machines with one core are read in one pass into `first`.
ParsedFile parseAdifInTwo(std::string_view bytes, const StretchHandler &first,
                          const StretchHandler &second, ProgressSink &progress,
                          std::size_t splitFrom);

} // namespace vz::adif
