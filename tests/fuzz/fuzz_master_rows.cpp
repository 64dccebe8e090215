// SPDX-License-Identifier: GPL-3.0-or-later
// JCC master records over any bytes: every record shows as a row whose cells the table can
// hold, and a master file saved from rows nobody touched is the file that was read, byte for
// byte (less the rows the single-blank mark drops), with the old file as its backup.
#include "fuzz/fuzz_file.h"
#include "places/jcc_master.h"
#include "places/master_file.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

using namespace vz;
using namespace vz::places;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const std::string path = fuzz::fileHolding("Master01.cty", bytes);
    const MasterRecords read = readMasterFile(path);
    if (read.result != MasterRead::Ok || read.records.size() != size / kMasterRecordSize)
        std::abort();

    std::vector<MasterRow> rows;
    std::string expected;
    for (const JccMasterRecord &record : read.records) {
        rows.push_back(rowOf(record));
        if (!recordOf(rows.back()))
            std::abort(); // the numbers a record holds are numbers the table takes
        if (!isDroppedRow(rows.back()))
            expected.append(record.bytes.data(), kMasterRecordSize);
        (void)record.position();
    }
    const MasterSaveOutcome saved = saveMasterFile(path, rows);
    if (saved.result != MasterSave::Ok)
        std::abort();
    const MasterRecords again = readMasterFile(path);
    std::string written;
    for (const JccMasterRecord &record : again.records)
        written.append(record.bytes.data(), kMasterRecordSize);
    if (written != expected)
        std::abort();
    return 0;
}
