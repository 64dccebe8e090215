// SPDX-License-Identifier: GPL-3.0-or-later
// The ADIF reader over any bytes, ADI and ADX alike: read in one pass and again in two
// stretches at once (split in the middle, whatever the size), which must hand on the same
// records in the same order; then the whole import as a trial run (nothing written), also
// in two stretches, converting and reporting every contact.
#include "adif/adif_import.h"
#include "adif/adif_reader.h"
#include "adif/adif_record.h"
#include "common/progress.h"
#include "fuzz/fuzz_file.h"
#include "log/prefix_table.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using namespace vz;
using namespace vz::log;

namespace {

// A record as text: each field's name and value, and the encoding it was read in.
std::string described(const adif::AdifRecord &record, adif::Charset charset)
{
    std::string out(1, static_cast<char>('0' + static_cast<int>(charset)));
    for (std::size_t i = 0; i < record.size(); ++i) {
        out += record.name(i);
        out += '=';
        out.append(std::to_string(record.value(i).size())).append(1, ':');
        out += record.value(i);
    }
    return out;
}

const PrefixTable &table()
{
    static const PrefixTable t = [] {
        PrefixTable p;
        p.loadFromBytes("JD1 10\r\nKH6 10\r\n");
        return p;
    }();
    return t;
}

struct Collected
{
    std::vector<std::string> records;
    adif::RecordHandler handler()
    {
        return [this](adif::AdifRecord &record, adif::Charset charset) {
            records.push_back(described(record, charset));
        };
    }
    std::function<void()> startOver()
    {
        return [this] { records.clear(); };
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    NoProgress progress;

    Collected single;
    adif::parseAdif(bytes, single.handler(), progress, single.startOver());

    Collected first;
    Collected second;
    adif::parseAdifInTwo(bytes, {first.handler(), first.startOver()},
                         {second.handler(), second.startOver()}, progress, 0);
    first.records.insert(first.records.end(), second.records.begin(), second.records.end());
    if (first.records != single.records)
        std::abort(); // the two stretches must read what one pass reads

    adif::ImportOptions options;
    options.dryRun = true;
    options.splitFrom = 0;
    options.strict = size % 2 == 1;
    const adif::ImportSummary summary =
        adif::importAdif(fuzz::fileHolding("in.adi", bytes), fuzz::scratchFolder() + "/NOLOG.DAT",
                         1, table(), options, progress);
    if (summary.imported < 0 || summary.imported + summary.duplicates > summary.read)
        std::abort(); // nothing is imported that was not read
    (void)adif::summaryText(summary, true);
    return 0;
}
