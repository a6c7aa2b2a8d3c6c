#include "host/cardprint/ppd_dump.h"

#include <array>
#include <cstdio>
#include <string>
#include <string_view>

#include "host/cardprint/json_writer.h"
#include "ppd/packed_image.h"
#include "ppd/queries.h"

namespace {

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

// The names a table entry's indexes resolve to; NULL when they do not.
const CHAR* NameOf(const UIGROUP* group) { return group != nullptr ? group->header.name : nullptr; }
const CHAR* NameOf(const UIOPTION* option) {
  return option != nullptr ? option->header.name : nullptr;
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

// JSON output.

class DumpWriter : public JsonWriter {
 public:
  using JsonWriter::JsonWriter;

  void Member(std::string_view key, std::int64_t value) {
    Key(key);
    Number(value);
  }
  void Flag(std::string_view key, ULONG value) {
    Key(key);
    Boolean(value != 0);
  }
  void Text(std::string_view key, const CHAR* value) {
    Key(key);
    if (value != nullptr) {
      Latin1String(value);
    } else {
      Null();
    }
  }
  void Rect(std::string_view key, const PSRECT& rect) {
    Key(key);
    BeginArray();
    for (LONG edge : {rect.left, rect.bottom, rect.right, rect.top}) Number(edge);
    EndArray();
  }
  void Bytes(std::string_view key, const std::vector<BYTE>& bytes) {
    Key(key);
    BeginArray();
    for (BYTE byte : bytes) Number(byte);
    EndArray();
  }
};

void OptionJson(DumpWriter& json, const UIOPTION* option, WORD kind) {
  json.BeginObject();
  json.Text("name", option->header.name);
  json.Text("translation", option->translation);
  json.Text("invocation", option->invocation);
  const LISTOBJ* item = &option->header;
  switch (kind) {
    case UIGRP_PAGESIZE: {
      const auto* media = reinterpret_cast<const MEDIAOPTION*>(item);
      json.Text("pageRegionCode", media->pageRegionCode);
      json.Member("paperWidth", media->paperWidth);
      json.Member("paperHeight", media->paperHeight);
      json.Rect("imageableArea", media->imageableArea);
      break;
    }
    case UIGRP_RESOLUTION: {
      const auto* resolution = reinterpret_cast<const RESOPTION*>(item);
      json.Text("jclResolutionCode", resolution->jclResolutionCode);
      json.Text("setResolutionCode", resolution->setResolutionCode);
      json.Member("screenAngle", resolution->screenAngle);
      json.Member("screenFreq", resolution->screenFreq);
      break;
    }
    case UIGRP_INPUTSLOT:
      json.Flag("requiresPageRegion",
                reinterpret_cast<const INPUTSLOTOPTION*>(item)->requiresPageRegion);
      break;
    case UIGRP_VMOPTION:
      json.Member("vmSize", reinterpret_cast<const VMOPTION*>(item)->vmSize);
      break;
    default:
      break;
  }
  json.EndObject();
}

void GroupJson(DumpWriter& json, const UIGROUP* group) {
  json.BeginObject();
  json.Text("name", group->header.name);
  json.Text("translation", group->translation);
  json.Member("kind", group->kind);
  json.Member("uiType", group->uiType);
  json.Member("flags", group->flags);
  json.Member("featureIndex", group->featureIndex);
  json.Flag("installable", group->installable);
  json.Member("default", static_cast<std::int64_t>(group->defaultIndex));
  json.Key("options");
  json.BeginArray();
  for (LISTOBJ* item = group->options; item != nullptr; item = item->next) {
    OptionJson(json, ListRecord<UIOPTION>(item), group->kind);
  }
  json.EndArray();
  json.EndObject();
}

void OrderDepsJson(DumpWriter& json, PPDOBJ* image) {
  json.Key("orderDeps");
  json.BeginArray();
  const PPDTABLE* table = PpdOrderDepTable(image);
  for (ULONG i = 0; table != nullptr && i < table->count; ++i) {
    const ORDERDEPENTRY& entry = PpdOrderDepEntries(table)[i];
    const UIGROUP* group = GroupAt(image, entry.featureIndex);
    json.BeginObject();
    json.Member("featureIndex", entry.featureIndex);
    json.Member("optionIndex", entry.optionIndex);
    json.Member("order", entry.order);
    json.Member("section", entry.section);
    json.Text("feature", NameOf(group));
    json.Text("option", NameOf(OptionAt(group, entry.optionIndex)));
    json.EndObject();
  }
  json.EndArray();
}

void ConstraintsJson(DumpWriter& json, PPDOBJ* image) {
  json.Key("constraints");
  json.BeginArray();
  const PPDTABLE* table = PpdConstraintTable(image);
  for (ULONG i = 0; table != nullptr && i < table->count; ++i) {
    const CONSTRAINTENTRY& entry = PpdConstraintEntries(table)[i];
    const UIGROUP* group1 = GroupAt(image, entry.feature1);
    const UIGROUP* group2 = GroupAt(image, entry.feature2);
    json.BeginObject();
    json.Member("feature1", entry.feature1);
    json.Member("option1", entry.option1);
    json.Member("feature2", entry.feature2);
    json.Member("option2", entry.option2);
    json.Text("feature1Name", NameOf(group1));
    json.Text("option1Name", NameOf(OptionAt(group1, entry.option1)));
    json.Text("feature2Name", NameOf(group2));
    json.Text("option2Name", NameOf(OptionAt(group2, entry.option2)));
    json.EndObject();
  }
  json.EndArray();
}

void FontsJson(DumpWriter& json, PPDOBJ* image) {
  json.Key("deviceFonts");
  json.BeginArray();
  for (LISTOBJ* item = image->deviceFonts; item != nullptr; item = item->next) {
    const DEVFONT* font = ListRecord<DEVFONT>(item);
    json.BeginObject();
    json.Text("name", item->name);
    json.Text("translation", font->translation);
    json.Member("encoding", font->encoding);
    json.Member("charSet", font->charSet);
    json.Member("fontIndex", font->fontIndex);
    json.EndObject();
  }
  json.EndArray();
}

// Text output.

constexpr std::array<std::string_view, 8> kKindNames = {
    "PageSize", "InputSlot", "ManualFeed", "Duplex", "Collate", "Resolution", "VMOption", "other"};
constexpr std::array<std::string_view, 3> kUiTypeNames = {"Boolean", "PickOne", "PickMany"};

template <std::size_t N>
std::string NameIn(const std::array<std::string_view, N>& names, unsigned value) {
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
std::string Feature(WORD index, const CHAR* name) {
  return std::to_string(index) + " (" + (name != nullptr ? Latin1ToUtf8(name) : "unresolved") + ")";
}

// An option index likewise; PPD_ANY_OPTION stands for any option.
std::string Option(WORD index, const CHAR* name) {
  return index == PPD_ANY_OPTION ? "any" : Feature(index, name);
}

void WriteOptionText(std::ostream& out, WORD index, const UIOPTION* option, WORD kind) {
  out << "    option " << index << " " << Latin1ToUtf8(option->header.name) << " translation "
      << Quoted(option->translation) << " invocation " << Quoted(option->invocation) << "\n";
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
    out << "      JCL resolution " << Quoted(resolution->jclResolutionCode) << ", set resolution "
        << Quoted(resolution->setResolutionCode) << ", screen " << Points(resolution->screenAngle)
        << " degrees " << Points(resolution->screenFreq) << " lpi\n";
  } else if (kind == UIGRP_INPUTSLOT) {
    out << "      requires page region "
        << YesNo(reinterpret_cast<const INPUTSLOTOPTION*>(item)->requiresPageRegion) << "\n";
  } else if (kind == UIGRP_VMOPTION) {
    out << "      memory " << reinterpret_cast<const VMOPTION*>(item)->vmSize << " bytes\n";
  }
}

void WriteGroupText(std::ostream& out, WORD index, const UIGROUP* group) {
  out << "  feature " << index << " " << Latin1ToUtf8(group->header.name) << " translation "
      << Quoted(group->translation) << ": " << NameIn(kKindNames, group->kind) << ", "
      << NameIn(kUiTypeNames, group->uiType) << ", flags " << group->flags << ", "
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

void WriteTablesText(std::ostream& out, PPDOBJ* image) {
  const PPDTABLE* deps = PpdOrderDepTable(image);
  const ULONG cDeps = deps != nullptr ? deps->count : 0;
  out << "order dependencies: " << cDeps << "\n";
  for (ULONG i = 0; i < cDeps; ++i) {
    const ORDERDEPENTRY& entry = PpdOrderDepEntries(deps)[i];
    const UIGROUP* group = GroupAt(image, entry.featureIndex);
    out << "  order " << Points(entry.order) << ", section " << entry.section << ": feature "
        << Feature(entry.featureIndex, NameOf(group)) << ", option "
        << Option(entry.optionIndex, NameOf(OptionAt(group, entry.optionIndex))) << "\n";
  }
  const PPDTABLE* constraints = PpdConstraintTable(image);
  const ULONG cConstraints = constraints != nullptr ? constraints->count : 0;
  out << "constraints: " << cConstraints << "\n";
  for (ULONG i = 0; i < cConstraints; ++i) {
    const CONSTRAINTENTRY& entry = PpdConstraintEntries(constraints)[i];
    const UIGROUP* group1 = GroupAt(image, entry.feature1);
    const UIGROUP* group2 = GroupAt(image, entry.feature2);
    out << "  feature " << Feature(entry.feature1, NameOf(group1)) << " option "
        << Option(entry.option1, NameOf(OptionAt(group1, entry.option1))) << " forbids feature "
        << Feature(entry.feature2, NameOf(group2)) << " option "
        << Option(entry.option2, NameOf(OptionAt(group2, entry.option2))) << "\n";
  }
}

}  // namespace

std::string PpdImageJson(PPDOBJ* image, const std::vector<PpdRefusal>* refusals) {
  std::string out;
  DumpWriter json(out);
  json.BeginObject();
  json.Text("nickName", image->nickName);
  json.Member("languageLevel", image->languageLevel);
  json.Flag("colorDevice", image->colorDevice);
  json.Flag("printPsErrors", image->printPsErrors);
  json.Member("protocols", image->protocols);
  json.Member("extensions", image->extensions);
  json.Member("landscapeOrientation", image->landscapeOrientation);
  json.Member("ttRasterizer", image->ttRasterizer);
  json.Member("languageEncoding", image->languageEncoding);
  json.Member("freeVm", image->freeVm);
  json.Member("jobTimeout", image->jobTimeout);
  json.Member("waitTimeout", image->waitTimeout);
  json.Text("password", image->password);
  json.Text("exitServer", image->exitServer);
  json.Flag("customPageSize", image->customPageSize);
  json.Text("customPageCode", image->customPageCode);
  json.Key("customPageParams");
  json.BeginArray();
  for (const CUSTOMPARAM& param : image->customPageParams) {
    json.BeginObject();
    json.Member("order", param.order);
    json.Member("type", param.type);
    json.Member("min", param.minimum);
    json.Member("max", param.maximum);
    json.EndObject();
  }
  json.EndArray();
  json.Member("maxMediaWidth", image->maxMediaWidth);
  json.Member("maxMediaHeight", image->maxMediaHeight);
  if (image->hwMarginsSet != 0) {
    json.Rect("hwMargins", image->hwMargins);
  } else {
    json.Key("hwMargins");
    json.Null();
  }
  json.Member("resolutionCodeKind", image->resolutionCodeKind);
  json.Member("screenAngle", image->screenAngle);
  json.Member("screenFreq", image->screenFreq);
  json.Text("jclBegin", image->jclBegin);
  json.Text("jclToPs", image->jclToPs);
  json.Text("jclEnd", image->jclEnd);
  json.Member("docStickyCount", image->docStickyCount);
  json.Member("printerStickyCount", image->printerStickyCount);

  json.Key("groups");
  json.BeginArray();
  for (LISTOBJ* item = image->uiGroups; item != nullptr; item = item->next) {
    GroupJson(json, ListRecord<UIGROUP>(item));
  }
  json.EndArray();
  OrderDepsJson(json, image);
  ConstraintsJson(json, image);
  FontsJson(json, image);
  json.Key("defaults");
  json.BeginObject();
  json.Bytes("document", DocumentDefaults(image));
  json.Bytes("printer", PrinterDefaults(image));
  json.EndObject();
  if (refusals != nullptr) {
    json.Key("errors");
    json.BeginArray();
    for (const PpdRefusal& refusal : *refusals) {
      json.BeginObject();
      json.Member("line", refusal.line);
      json.Member("code", refusal.code);
      json.EndObject();
    }
    json.EndArray();
  }
  json.EndObject();
  return out;
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
  out << "maximum media " << Points(image->maxMediaWidth) << " x " << Points(image->maxMediaHeight)
      << " pt\n";
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
      << "features: " << image->docStickyCount << " document-sticky, " << image->printerStickyCount
      << " printer-sticky\n";
  WORD index = 0;
  for (LISTOBJ* item = image->uiGroups; item != nullptr; item = item->next, ++index) {
    WriteGroupText(out, index, ListRecord<UIGROUP>(item));
  }
  WriteTablesText(out, image);
  out << "device fonts: " << LISTOBJ_Count(image->deviceFonts) << "\n";
  for (LISTOBJ* item = image->deviceFonts; item != nullptr; item = item->next) {
    const DEVFONT* font = ListRecord<DEVFONT>(item);
    out << "  " << Latin1ToUtf8(item->name) << " translation " << Quoted(font->translation)
        << ", encoding " << font->encoding << ", character set " << font->charSet << ", font index "
        << font->fontIndex << "\n";
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
