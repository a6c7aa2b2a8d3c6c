#include "describe_ppd.h"

#include <cstdio>
#include <string_view>

namespace {

std::string Hex(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

std::string Rect(const PSRECT& rect) {
  return std::to_string(rect.left) + " " + std::to_string(rect.bottom) + " " + std::to_string(rect.right) +
         " " + std::to_string(rect.top);
}

void DescribeOption(std::string& out, const UIGROUP& group, LISTOBJ* item) {
  const UIOPTION& option = *ListRecord<UIOPTION>(item);
  out += "  option " + Quote(item->name) + " translation " + Quote(option.translation) + " invocation " +
         Quote(option.invocation);
  switch (group.kind) {
    case UIGRP_PAGESIZE: {
      const MEDIAOPTION& media = *ListRecord<MEDIAOPTION>(item);
      out += " region " + Quote(media.pageRegionCode) + " paper " + std::to_string(media.paperWidth) + " " +
             std::to_string(media.paperHeight) + " area " + Rect(media.imageableArea);
      break;
    }
    case UIGRP_INPUTSLOT:
      out += " requiresPageRegion " + std::to_string(ListRecord<INPUTSLOTOPTION>(item)->requiresPageRegion);
      break;
    case UIGRP_RESOLUTION: {
      const RESOPTION& resolution = *ListRecord<RESOPTION>(item);
      out += " jcl " + Quote(resolution.jclResolutionCode) + " set " + Quote(resolution.setResolutionCode) +
             " screen " + std::to_string(resolution.screenAngle) + " " + std::to_string(resolution.screenFreq);
      break;
    }
    case UIGRP_VMOPTION:
      out += " vmSize " + std::to_string(ListRecord<VMOPTION>(item)->vmSize);
      break;
    default:
      break;
  }
  out += "\n";
}

void DescribeGroup(std::string& out, const PPDOBJ& ppd, LISTOBJ* item) {
  const UIGROUP& group = *ListRecord<UIGROUP>(item);
  out += "group " + Quote(item->name) + " kind " + std::to_string(group.kind) + " uiType " +
         std::to_string(group.uiType) + " flags " + Hex(group.flags) + " installable " +
         std::to_string(group.installable) + " default " + Quote(group.defaultOption) + " translation " +
         Quote(group.translation);
  if (group.kind < MAX_PREDEFINED_GROUPS && ppd.predefinedGroups[group.kind] != &group) {
    out += " (not in predefinedGroups)";
  }
  out += "\n";
  for (LISTOBJ* option = group.options; option != nullptr; option = option->next) {
    DescribeOption(out, group, option);
  }
}

}  // namespace

std::string Quote(const CHAR* text) {
  if (text == nullptr) return "null";
  std::string out = "\"";
  for (const unsigned char c : std::string_view(text)) {
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string DescribePpd(const PPDOBJ& ppd) {
  std::string out;
  out += "nickName " + Quote(ppd.nickName) + "\n";
  out += "languageLevel " + std::to_string(ppd.languageLevel) + " languageEncoding " +
         std::to_string(ppd.languageEncoding) + " protocols " + Hex(ppd.protocols) + " extensions " +
         Hex(ppd.extensions) + " ttRasterizer " + std::to_string(ppd.ttRasterizer) +
         " landscapeOrientation " + std::to_string(ppd.landscapeOrientation) + "\n";
  out += "colorDevice " + std::to_string(ppd.colorDevice) + " printPsErrors " + std::to_string(ppd.printPsErrors) +
         " freeVm " + std::to_string(ppd.freeVm) + " jobTimeout " + std::to_string(ppd.jobTimeout) +
         " waitTimeout " + std::to_string(ppd.waitTimeout) + "\n";
  out += "password " + Quote(ppd.password) + " exitServer " + Quote(ppd.exitServer) + "\n";
  out += "jclBegin " + Quote(ppd.jclBegin) + " jclToPs " + Quote(ppd.jclToPs) + " jclEnd " + Quote(ppd.jclEnd) +
         "\n";
  out += "screen " + std::to_string(ppd.screenAngle) + " " + std::to_string(ppd.screenFreq) +
         " resolutionCodeKind " + std::to_string(ppd.resolutionCodeKind) + "\n";
  out += "maxMedia " + std::to_string(ppd.maxMediaWidth) + " " + std::to_string(ppd.maxMediaHeight) +
         " hwMargins " + std::to_string(ppd.hwMarginsSet) + " " + Rect(ppd.hwMargins) + "\n";
  out += "customPageSize " + std::to_string(ppd.customPageSize) + " " + Quote(ppd.customPageCode) + "\n";
  for (const CUSTOMPARAM& param : ppd.customPageParams) {
    out += "  param order " + std::to_string(param.order) + " type " + std::to_string(param.type) + " range " +
           std::to_string(param.minimum) + " " + std::to_string(param.maximum) + "\n";
  }
  for (LISTOBJ* group = ppd.uiGroups; group != nullptr; group = group->next) DescribeGroup(out, ppd, group);
  for (LISTOBJ* item = ppd.deviceFonts; item != nullptr; item = item->next) {
    const DEVFONT& font = *ListRecord<DEVFONT>(item);
    out += "font " + Quote(item->name) + " translation " + Quote(font.translation) + " encoding " +
           std::to_string(font.encoding) + " charSet " + std::to_string(font.charSet) + " index " +
           std::to_string(font.fontIndex) + "\n";
  }
  for (LISTOBJ* item = ppd.orderDeps; item != nullptr; item = item->next) {
    const ORDERDEP& dependency = *ListRecord<ORDERDEP>(item);
    out += "orderDep " + Quote(item->name) + " option " + Quote(dependency.optionKeyword) + " order " +
           std::to_string(dependency.order) + " section " + Hex(dependency.section) + "\n";
  }
  for (LISTOBJ* item = ppd.uiConstraints; item != nullptr; item = item->next) {
    const UICONSTRAINT& constraint = *ListRecord<UICONSTRAINT>(item);
    out += "constraint " + Quote(item->name) + " " + Quote(constraint.option1) + " " + Quote(constraint.feature2) +
           " " + Quote(constraint.option2) + "\n";
  }
  out += "open group " + (ppd.openUiGroup != nullptr ? Quote(ppd.openUiGroup->header.name) : "none") +
         " inInstallableGroup " + std::to_string(ppd.inInstallableGroup) + "\n";
  return out;
}
