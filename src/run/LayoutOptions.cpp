#include "run/LayoutOptions.h"

#include "platform/ini/IniFile.h"
#include "run/CuttingRun.h"
#include "warehouse/StockModule.h"

#include <cmath>
#include <system_error>

namespace kroyna::run {

// ---- Stock lookups ----

SheetStockLookup stockOf(warehouse::StockModule& module) {
  SheetStockLookup s;
  s.firstSize = [&module](int code) -> std::optional<std::pair<std::int32_t, std::int32_t>> {
    try {
      return module.firstSheetSize(code);
    } catch (const std::exception&) {
      return std::nullopt;
    }
  };
  s.stock = [&module](int code, std::int32_t l, std::int32_t w) -> std::optional<std::int32_t> {
    try {
      return module.sheetStock(code, l, w);
    } catch (const std::exception&) {
      return std::nullopt;
    }
  };
  return s;
}

// ---- Model ----

LayoutOptionsModel::LayoutOptionsModel(ini::IniFile& settings, std::filesystem::path workFile,
                                       std::vector<LayoutMaterial> materials, std::function<std::string(int)> remarkOf)
    : settings_(settings),
      workPath_(std::move(workFile)),
      materials_(std::move(materials)),
      remarkOf_(std::move(remarkOf)) {}

LayoutOptionsModel::~LayoutOptionsModel() = default;

void LayoutOptionsModel::open() {
  std::error_code ec;
  std::filesystem::remove(workPath_, ec);
  if (std::filesystem::exists(workPath_)) throw ini::IniError("не удалось удалить файл " + workPath_.string());
  work_ = std::make_unique<ini::IniFile>(workPath_);
  work_->batch([&] {
    for (const LayoutMaterial& m : materials_) {
      OptimRecord r = common::MaterialSettings(m.code).layoutOptions(settings_);
      r.stock = 0;
      r.remark = remarkOf_ ? remarkOf_(m.code) : std::string();
      common::MaterialSettings(m.code).setLayoutOptions(*work_, r);
    }
  });
}

OptimRecord LayoutOptionsModel::read(int code) const {
  return work_ ? common::MaterialSettings(code).layoutOptions(*work_) : OptimRecord{};
}

void LayoutOptionsModel::write(int code, OptimRecord record) {
  record.stock = 0;
  common::MaterialSettings(code).setLayoutOptions(*work_, record);
}

namespace {
template <class Change>
void forAll(ini::IniFile& work, const std::vector<LayoutMaterial>& materials, Change change) {
  work.batch([&] {
    for (const LayoutMaterial& m : materials) {
      OptimRecord r = common::MaterialSettings(m.code).layoutOptions(work);
      change(r);
      common::MaterialSettings(m.code).setLayoutOptions(work, r);
    }
  });
}
}  // namespace

void LayoutOptionsModel::setRemarkForAll(const std::string& remark) {
  forAll(*work_, materials_, [&](OptimRecord& r) { r.remark = remark; });
}

void LayoutOptionsModel::setDepthForAll(std::int32_t depth) {
  forAll(*work_, materials_, [&](OptimRecord& r) { r.depth = depth; });
}

void LayoutOptionsModel::setSearchForAll(int fullSearch, bool improved, std::int32_t effort, std::int32_t stages) {
  forAll(*work_, materials_, [&](OptimRecord& r) {
    r.improved = improved;
    if (improved) {
      r.effort = effort;
      r.stages = common::isStageLimit(stages) ? stages : 0;
    } else {
      r.fullSearch = fullSearch ? 1 : 0;
    }
  });
}

void LayoutOptionsModel::setAlgorithmForAll(int algorithm, bool oneDimOpt) {
  forAll(*work_, materials_, [&](OptimRecord& r) {
    r.algorithm = algorithm ? 1 : 0;
    r.oneDimOpt = oneDimOpt;
  });
}

void LayoutOptionsModel::autoSize(const SheetStockLookup& stock) {
  work_->batch([&] {
    for (const LayoutMaterial& m : materials_) {
      OptimRecord r = common::MaterialSettings(m.code).layoutOptions(*work_);
      const auto size = stock.firstSize ? stock.firstSize(m.code) : std::nullopt;
      r.length = size ? size->first : 0;
      r.width = size ? size->second : 0;
      r.stockControl = true;
      common::MaterialSettings(m.code).setLayoutOptions(*work_, r);
    }
  });
}

std::optional<QString> LayoutOptionsModel::accept(const SheetStockLookup& stock) {
  settings_.batch([&] {
    for (const std::string& section : work_->sections())
      for (const auto& [key, value] : work_->readSectionValues(section)) settings_.writeString(section, key, value);
  });
  std::optional<QString> missing;
  work_->batch([&] {
    for (const LayoutMaterial& m : materials_) {
      OptimRecord r = common::MaterialSettings(m.code).layoutOptions(*work_);
      if (!r.enabled) continue;
      if (const QString fault = sheetSizeFault(m.name, r.length, r.width); !fault.isEmpty()) {
        missing = fault;
        return;
      }
      if (!r.stockControl) continue;
      const auto many = stock.stock ? stock.stock(m.code, r.length, r.width) : std::nullopt;
      if (!many || *many == 0) {
        missing =
            QStringLiteral("ВНИМАНИЕ!\rРазложение невозможно!\r\rЛисты <%1> размером %2x%3 на складе отсутствуют.")
                .arg(m.name)
                .arg(r.length)
                .arg(r.width);
        return;
      }
      r.stock = *many;
      common::MaterialSettings(m.code).setLayoutOptions(*work_, r);
    }
  });
  return missing;
}

}  // namespace kroyna::run
