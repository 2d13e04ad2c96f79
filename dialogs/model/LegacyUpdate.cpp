#include "dialogs/model/LegacyUpdate.h"

#include <exception>

#include "base/AtomicFile.h"
#include "base/Version.h"
#include "dialogs/model/SchemeCreation.h"
#include "storage/LegacyConversion.h"

namespace tav {

namespace {

std::string LeftOutMessage(const std::string& iniPath, const LegacyConversionResult& result) {
  const int limit = result.convertedCount;
  return "热键配置文件“" + FileNameOf(iniPath) + "”有 " + std::to_string(result.sectionCount) +
         " 个热键，一个热键配制方案最多容纳 " + std::to_string(limit) + " 个。\r已转换前 " +
         std::to_string(limit) + " 个，其余 " + std::to_string(result.sectionCount - limit) +
         " 个没有转换；该 INI 文件保持不变。";
}

}  // namespace

bool ConvertLegacyFileAsked(Platform& platform, const std::string& iniPath) {
  if (!FileExists(iniPath)) return false;
  if (!ConfirmSchemeOverwrite(platform, LegacySchemePath(iniPath))) return false;
  const LegacyConversionResult result = ConvertLegacyFile(iniPath);
  if (result.convertedCount < result.sectionCount) {
    platform.MessageBox(LeftOutMessage(iniPath, result), kApplicationTitle,
                        mb::kOk | mb::kIconInformation);
  }
  return true;
}

void UpdateLegacyFiles(Platform& platform, const std::string& programDirectory,
                       const std::function<void(const std::string& schemeName)>& schemeAdded,
                       const std::function<void(const std::string& schemePath)>& schemeWritten) {
  const auto written = [&](const std::string& iniPath) {
    if (schemeWritten) schemeWritten(LegacySchemePath(iniPath));
  };
  const std::string defaultIni = DefaultLegacyPath(programDirectory);
  if (ConvertLegacyFileAsked(platform, defaultIni)) written(defaultIni);
  for (const std::string& name : ListLegacyFiles(programDirectory)) {
    const std::string iniPath = UserSchemePath(programDirectory, name);
    try {
      const bool isNew = !FileExists(LegacySchemePath(iniPath));
      if (!ConvertLegacyFileAsked(platform, iniPath)) continue;
      written(iniPath);
      if (isNew) schemeAdded(FileNameOf(LegacySchemePath(iniPath)));
    } catch (const std::exception&) {
      platform.MessageBox("热键配置文件“" + name + "”转换失败", "", mb::kOk | mb::kIconWarning);
    }
  }
}

}  // namespace tav
