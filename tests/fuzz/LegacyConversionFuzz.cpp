// Legacy INI hotkey lists through the conversion, in memory: the file's
// bytes are read into entries and converted into the scheme the upgrade
// would save.
// - Reading never fails; converting fails only with the program's own error
//   and a UTF-8 message.
// - The scheme holds the first 100 entries read (at most 100), and the
//   result counts the sections and the entries converted.
// - What converts saves, and the saved bytes load back to the same entries,
//   less the characters XML cannot hold (a control character of the INI
//   file); a second save writes the same bytes; the entry table loads from it or
//   fails with the program's error.
#include <algorithm>
#include <string>
#include <vector>

#include "SchemeProperties.h"
#include "storage/LegacyConversion.h"
#include "storage/XmlCharacters.h"

namespace {

using tav::fuzz::Check;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<tav::SchemeEntry> entries =
      tav::LegacyEntriesFromBytes(tav::fuzz::Bytes(data, size));

  tav::LegacyConversionResult result;
  std::string saved;
  try {
    saved = tav::LegacyScheme(entries, result).ToBytes();
  } catch (const tav::Error& error) {
    Check(tav::fuzz::IsUtf8(error.what()), "an error message is UTF-8", error.what());
    return 0;
  }
  const size_t kept = std::min<size_t>(entries.size(), tav::kMaxSchemeEntries);
  Check(result.sectionCount == static_cast<int>(entries.size()), "every section is counted");
  Check(result.convertedCount == static_cast<int>(kept), "the first 100 entries are converted");

  tav::SchemeDocument loaded;
  try {
    loaded.LoadBytes(saved, "converted.xml");
  } catch (const tav::Error& error) {
    Check(false, "a converted scheme loads", error.what());
  }
  Check(loaded.Password().empty(), "a converted scheme is unprotected");
  const std::vector<tav::SchemeEntry> read = tav::fuzz::EntriesOf(loaded);
  Check(read.size() == kept, "a converted scheme holds the entries converted");
  const auto asStored = [](const std::string& text) {
    return tav::WithoutCharactersXmlForbids(text);
  };
  for (size_t i = 0; i < kept; ++i) {
    Check(read[i].hotkey == asStored(entries[i].hotkey), "a key text converts unchanged",
          entries[i].hotkey);
    Check(read[i].action == asStored(entries[i].action), "an action converts unchanged",
          entries[i].action);
    Check(read[i].hint == asStored(entries[i].hint), "a hint converts unchanged", entries[i].hint);
    Check(read[i].sort == asStored(entries[i].sort), "a category converts unchanged",
          entries[i].sort);
  }
  Check(loaded.ToBytes() == saved, "saving a converted scheme is stable");
  tav::fuzz::CheckEntryTable(loaded, {});
  return 0;
}
