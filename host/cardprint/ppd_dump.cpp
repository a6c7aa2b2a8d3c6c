#include "host/cardprint/ppd_dump.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "ppd/packed_image.h"
#include "ppd/queries.h"

namespace {

using Json = nlohmann::ordered_json;

// An 8-bit string in UTF-8, each byte taken as the code point of its value.
std::string Latin1ToUtf8(const CHAR* text) {
  std::string out;
  for (; *text != '\0'; ++text) {
    const auto byte = static_cast<unsigned char>(*text);
    if (byte < 0x80) {
      out += static_cast<char>(byte);
    } else {
      out += static_cast<char>(0xC0 | (byte >> 6));
      out += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return out;
}

Json String(const CHAR* text) { return text != nullptr ? Json(Latin1ToUtf8(text)) : Json(nullptr); }

Json Rect(const PSRECT& rect) { return Json::array({rect.left, rect.bottom, rect.right, rect.top}); }

const UIGROUP* GroupAt(PPDOBJ* image, WORD feature) {
  if (feature == PPD_UNRESOLVED) return nullptr;
  LISTOBJ* item = LISTOBJ_FindIndexed(image->uiGroups, feature);
  return item != nullptr ? ListRecord<UIGROUP>(item) : nullptr;
}

const UIOPTION* OptionAt(const UIGROUP* group, WORD option) {
  if (group == nullptr || option == PPD_ANY_OPTION) return nullptr;
  LISTOBJ* item = LISTOBJ_FindIndexed(group->options, option);
  return item != nullptr ? ListRecord<UIOPTION>(item) : nullptr;
}

Json FeatureName(const UIGROUP* group) { return group != nullptr ? String(group->header.name) : Json(nullptr); }

Json OptionName(const UIOPTION* option) {
  return option != nullptr ? String(option->header.name) : Json(nullptr);
}

std::vector<BYTE> DocumentDefaults(PPDOBJ* image) {
  std::vector<BYTE> sel(image->docStickyCount);
  PpdDefaultDocumentStickyFeatures(image, sel.data());
  return sel;
}

std::vector<BYTE> PrinterDefaults(PPDOBJ* image) {
  std::vector<BYTE> sel(image->printerStickyCount);
  PpdDefaultPrinterStickyFeatures(image, sel.data());
  return sel;
}

Json OptionJson(const UIOPTION* option, WORD kind) {
  Json json;
  json["name"] = String(option->header.name);
  json["translation"] = String(option->translation);
  json["invocation"] = String(option->invocation);
  const LISTOBJ* item = &option->header;
  switch (kind) {
    case UIGRP_PAGESIZE: {
      const auto* media = reinterpret_cast<const MEDIAOPTION*>(item);
      json["pageRegionCode"] = String(media->pageRegionCode);
      json["paperWidth"] = media->paperWidth;
      json["paperHeight"] = media->paperHeight;
      json["imageableArea"] = Rect(media->imageableArea);
      break;
    }
    case UIGRP_RESOLUTION: {
      const auto* resolution = reinterpret_cast<const RESOPTION*>(item);
      json["jclResolutionCode"] = String(resolution->jclResolutionCode);
      json["setResolutionCode"] = String(resolution->setResolutionCode);
      json["screenAngle"] = resolution->screenAngle;
      json["screenFreq"] = resolution->screenFreq;
      break;
    }
    case UIGRP_INPUTSLOT:
      json["requiresPageRegion"] =
          reinterpret_cast<const INPUTSLOTOPTION*>(item)->requiresPageRegion != 0;
      break;
    case UIGRP_VMOPTION:
      json["vmSize"] = reinterpret_cast<const VMOPTION*>(item)->vmSize;
      break;
    default:
      break;
  }
  return json;
}

Json GroupJson(const UIGROUP* group) {
  Json json;
  json["name"] = String(group->header.name);
  json["translation"] = String(group->translation);
  json["kind"] = group->kind;
  json["uiType"] = group->uiType;
  json["flags"] = group->flags;
  json["featureIndex"] = group->featureIndex;
  json["installable"] = group->installable != 0;
  json["default"] = group->defaultIndex;
  Json options = Json::array();
  for (LISTOBJ* item = group->options; item != nullptr; item = item->next) {
    options.push_back(OptionJson(ListRecord<UIOPTION>(item), group->kind));
  }
  json["options"] = std::move(options);
  return json;
}

Json OrderDepsJson(PPDOBJ* image) {
  Json deps = Json::array();
  const PPDTABLE* table = PpdOrderDepTable(image);
  for (WORD i = 0; table != nullptr && i < table->count; ++i) {
    const ORDERDEPENTRY& entry = PpdOrderDepEntries(table)[i];
    const UIGROUP* group = GroupAt(image, entry.featureIndex);
    Json json;
    json["featureIndex"] = entry.featureIndex;
    json["optionIndex"] = entry.optionIndex;
    json["order"] = entry.order;
    json["section"] = entry.section;
    json["feature"] = FeatureName(group);
    json["option"] = OptionName(OptionAt(group, entry.optionIndex));
    deps.push_back(std::move(json));
  }
  return deps;
}

Json ConstraintsJson(PPDOBJ* image) {
  Json constraints = Json::array();
  const PPDTABLE* table = PpdConstraintTable(image);
  for (WORD i = 0; table != nullptr && i < table->count; ++i) {
    const CONSTRAINTENTRY& entry = PpdConstraintEntries(table)[i];
    const UIGROUP* group1 = GroupAt(image, entry.feature1);
    const UIGROUP* group2 = GroupAt(image, entry.feature2);
    Json json;
    json["feature1"] = entry.feature1;
    json["option1"] = entry.option1;
    json["feature2"] = entry.feature2;
    json["option2"] = entry.option2;
    json["feature1Name"] = FeatureName(group1);
    json["option1Name"] = OptionName(OptionAt(group1, entry.option1));
    json["feature2Name"] = FeatureName(group2);
    json["option2Name"] = OptionName(OptionAt(group2, entry.option2));
    constraints.push_back(std::move(json));
  }
  return constraints;
}

Json FontsJson(PPDOBJ* image) {
  Json fonts = Json::array();
  for (LISTOBJ* item = image->deviceFonts; item != nullptr; item = item->next) {
    const DEVFONT* font = ListRecord<DEVFONT>(item);
    Json json;
    json["name"] = String(item->name);
    json["translation"] = String(font->translation);
    json["encoding"] = font->encoding;
    json["charSet"] = font->charSet;
    json["fontIndex"] = font->fontIndex;
    fonts.push_back(std::move(json));
  }
  return fonts;
}

// Text output.

constexpr std::array<std::string_view, 8> kKindNames = {
    "PageSize", "InputSlot", "ManualFeed", "Duplex", "Collate", "Resolution", "VMOption", "other"};
constexpr std::array<std::string_view, 3> kUiTypeNames = {"Boolean", "PickOne", "PickMany"};

template <std::size_t N>
std::string NameOf(const std::array<std::string_view, N>& names, unsigned value) {
  return value < N ? std::string(names[value]) : std::to_string(value);
}

// A real in points, with up to four decimals.
std::string Points(LONG real) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4f", real / 256.0);
  std::string out = text;
  out.erase(out.find_last_not_of('0') + 1);
  if (out.back() == '.') out.pop_back();
  return out;
}

// A string in quotes with its control bytes escaped; "none" when absent.
std::string Quoted(const CHAR* text) {
  if (text == nullptr) return "none";
  std::string out = "\"";
  for (char c : Latin1ToUtf8(text)) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string YesNo(ULONG value) { return value != 0 ? "yes" : "no"; }

std::string Bytes(const std::vector<BYTE>& bytes) {
  std::string out = "[";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i != 0) out += ' ';
    out += std::to_string(bytes[i]);
  }
  return out + "]";
}

// A feature index of a table entry with the name it resolves to.
std::string Feature(const Json& index, const Json& name) {
  return index.dump() + " (" + (name.is_null() ? "unresolved" : name.get<std::string>()) + ")";
}

// An option index likewise; PPD_ANY_OPTION stands for any option.
std::string Option(const Json& index, const Json& name) {
  return index.get<unsigned>() == PPD_ANY_OPTION ? "any" : Feature(index, name);
}

void WriteOptionText(std::ostream& out, WORD index, const UIOPTION* option, WORD kind) {
  out << "    option " << index << " " << Latin1ToUtf8(option->header.name)
      << " translation " << Quoted(option->translation) << " invocation "
      << Quoted(option->invocation) << "\n";
  const LISTOBJ* item = &option->header;
  if (kind == UIGRP_PAGESIZE) {
    const auto* media = reinterpret_cast<const MEDIAOPTION*>(item);
    const PSRECT& area = media->imageableArea;
    out << "      paper " << Points(media->paperWidth) << " x " << Points(media->paperHeight)
        << " pt, imageable area " << Points(area.left) << " " << Points(area.bottom) << " "
        << Points(area.right) << " " << Points(area.top) << " pt, page region "
        << Quoted(media->pageRegionCode) << "\n";
  } else if (kind == UIGRP_RESOLUTION) {
    const auto* resolution = reinterpret_cast<const RESOPTION*>(item);
    out << "      JCL resolution " << Quoted(resolution->jclResolutionCode)
        << ", set resolution " << Quoted(resolution->setResolutionCode) << ", screen "
        << Points(resolution->screenAngle) << " degrees " << Points(resolution->screenFreq)
        << " lpi\n";
  } else if (kind == UIGRP_INPUTSLOT) {
    out << "      requires page region "
        << YesNo(reinterpret_cast<const INPUTSLOTOPTION*>(item)->requiresPageRegion) << "\n";
  } else if (kind == UIGRP_VMOPTION) {
    out << "      memory " << reinterpret_cast<const VMOPTION*>(item)->vmSize << " bytes\n";
  }
}

void WriteGroupText(std::ostream& out, WORD index, const UIGROUP* group) {
  out << "  feature " << index << " " << Latin1ToUtf8(group->header.name) << " translation "
      << Quoted(group->translation) << ": " << NameOf(kKindNames, group->kind) << ", "
      << NameOf(kUiTypeNames, group->uiType) << ", flags " << group->flags << ", "
      << (group->installable != 0 ? "printer-sticky" : "document-sticky") << " "
      << group->featureIndex << ", default ";
  if (group->kind == UIGRP_RESOLUTION) {
    out << group->defaultIndex << " dpi\n";
  } else {
    const UIOPTION* option = OptionAt(group, static_cast<WORD>(group->defaultIndex));
    out << group->defaultIndex << " ("
        << (option != nullptr ? Latin1ToUtf8(option->header.name) : "no option") << ")\n";
  }
  WORD i = 0;
  for (LISTOBJ* item = group->options; item != nullptr; item = item->next, ++i) {
    WriteOptionText(out, i, ListRecord<UIOPTION>(item), group->kind);
  }
}

}  // namespace

Json PpdImageJson(PPDOBJ* image, const std::vector<PpdRefusal>* refusals) {
  Json json;
  json["nickName"] = String(image->nickName);
  json["languageLevel"] = image->languageLevel;
  json["colorDevice"] = image->colorDevice != 0;
  json["printPsErrors"] = image->printPsErrors != 0;
  json["protocols"] = image->protocols;
  json["extensions"] = image->extensions;
  json["landscapeOrientation"] = image->landscapeOrientation;
  json["ttRasterizer"] = image->ttRasterizer;
  json["languageEncoding"] = image->languageEncoding;
  json["freeVm"] = image->freeVm;
  json["jobTimeout"] = image->jobTimeout;
  json["waitTimeout"] = image->waitTimeout;
  json["password"] = String(image->password);
  json["exitServer"] = String(image->exitServer);
  json["customPageSize"] = image->customPageSize != 0;
  json["customPageCode"] = String(image->customPageCode);
  Json params = Json::array();
  for (const CUSTOMPARAM& param : image->customPageParams) {
    params.push_back(
        {{"order", param.order}, {"type", param.type}, {"min", param.minimum}, {"max", param.maximum}});
  }
  json["customPageParams"] = std::move(params);
  json["maxMediaWidth"] = image->maxMediaWidth;
  json["maxMediaHeight"] = image->maxMediaHeight;
  json["hwMargins"] = image->hwMarginsSet != 0 ? Rect(image->hwMargins) : Json(nullptr);
  json["resolutionCodeKind"] = image->resolutionCodeKind;
  json["screenAngle"] = image->screenAngle;
  json["screenFreq"] = image->screenFreq;
  json["jclBegin"] = String(image->jclBegin);
  json["jclToPs"] = String(image->jclToPs);
  json["jclEnd"] = String(image->jclEnd);
  json["docStickyCount"] = image->docStickyCount;
  json["printerStickyCount"] = image->printerStickyCount;

  Json groups = Json::array();
  for (LISTOBJ* item = image->uiGroups; item != nullptr; item = item->next) {
    groups.push_back(GroupJson(ListRecord<UIGROUP>(item)));
  }
  json["groups"] = std::move(groups);
  json["orderDeps"] = OrderDepsJson(image);
  json["constraints"] = ConstraintsJson(image);
  json["deviceFonts"] = FontsJson(image);
  json["defaults"] = {{"document", DocumentDefaults(image)}, {"printer", PrinterDefaults(image)}};
  if (refusals != nullptr) {
    Json errors = Json::array();
    for (const PpdRefusal& refusal : *refusals) {
      errors.push_back({{"line", refusal.line}, {"code", refusal.code}});
    }
    json["errors"] = std::move(errors);
  }
  return json;
}

void WritePpdImageText(std::ostream& out, PPDOBJ* image, const std::vector<PpdRefusal>* refusals) {
  out << "nick name " << Quoted(image->nickName) << "\n"
      << "language level " << image->languageLevel << ", colour " << YesNo(image->colorDevice)
      << ", prints PostScript errors " << YesNo(image->printPsErrors) << "\n"
      << "protocols " << image->protocols << ", extensions " << image->extensions
      << ", landscape orientation " << image->landscapeOrientation << ", TrueType rasterizer "
      << image->ttRasterizer << ", language encoding " << image->languageEncoding << "\n"
      << "free memory " << image->freeVm << " bytes, job timeout " << image->jobTimeout
      << " s, wait timeout " << image->waitTimeout << " s\n"
      << "password " << Quoted(image->password) << ", exit server " << Quoted(image->exitServer)
      << "\n"
      << "custom page size " << YesNo(image->customPageSize) << ", code "
      << Quoted(image->customPageCode) << "\n";
  constexpr std::array<std::string_view, 5> kParamNames = {"Width", "Height", "WidthOffset",
                                                           "HeightOffset", "Orientation"};
  for (std::size_t i = 0; i < kParamNames.size(); ++i) {
    const CUSTOMPARAM& param = image->customPageParams[i];
    out << "  custom " << kParamNames[i] << ": order " << param.order << ", type " << param.type
        << ", " << Points(param.minimum) << " to " << Points(param.maximum) << "\n";
  }
  out << "maximum media " << Points(image->maxMediaWidth) << " x "
      << Points(image->maxMediaHeight) << " pt\n";
  if (image->hwMarginsSet != 0) {
    const PSRECT& margins = image->hwMargins;
    out << "hardware margins " << Points(margins.left) << " " << Points(margins.bottom) << " "
        << Points(margins.right) << " " << Points(margins.top) << " pt\n";
  } else {
    out << "hardware margins none\n";
  }
  out << "resolution code kind " << image->resolutionCodeKind << ", screen "
      << Points(image->screenAngle) << " degrees " << Points(image->screenFreq) << " lpi\n"
      << "JCL begin " << Quoted(image->jclBegin) << ", to PostScript " << Quoted(image->jclToPs)
      << ", end " << Quoted(image->jclEnd) << "\n"
      << "features: " << image->docStickyCount << " document-sticky, "
      << image->printerStickyCount << " printer-sticky\n";
  WORD index = 0;
  for (LISTOBJ* item = image->uiGroups; item != nullptr; item = item->next, ++index) {
    WriteGroupText(out, index, ListRecord<UIGROUP>(item));
  }

  const Json deps = OrderDepsJson(image);
  out << "order dependencies: " << deps.size() << "\n";
  for (const Json& dep : deps) {
    out << "  order " << Points(dep["order"].get<LONG>()) << ", section " << dep["section"]
        << ": feature " << Feature(dep["featureIndex"], dep["feature"]) << ", option "
        << Option(dep["optionIndex"], dep["option"]) << "\n";
  }
  const Json constraints = ConstraintsJson(image);
  out << "constraints: " << constraints.size() << "\n";
  for (const Json& c : constraints) {
    out << "  feature " << Feature(c["feature1"], c["feature1Name"]) << " option "
        << Option(c["option1"], c["option1Name"]) << " forbids feature "
        << Feature(c["feature2"], c["feature2Name"]) << " option "
        << Option(c["option2"], c["option2Name"]) << "\n";
  }
  out << "device fonts: " << LISTOBJ_Count(image->deviceFonts) << "\n";
  for (LISTOBJ* item = image->deviceFonts; item != nullptr; item = item->next) {
    const DEVFONT* font = ListRecord<DEVFONT>(item);
    out << "  " << Latin1ToUtf8(item->name) << " translation " << Quoted(font->translation)
        << ", encoding " << font->encoding << ", character set " << font->charSet
        << ", font index " << font->fontIndex << "\n";
  }
  out << "default selections: document " << Bytes(DocumentDefaults(image)) << ", printer "
      << Bytes(PrinterDefaults(image)) << "\n";
  if (refusals != nullptr) {
    out << "refused statements: " << refusals->size() << "\n";
    for (const PpdRefusal& refusal : *refusals) {
      out << "  line " << refusal.line << ": code " << refusal.code << "\n";
    }
  }
}
