#include "host/cardprint/capabilities_json.h"

#include <string>

namespace {

using ordered_json = nlohmann::ordered_json;

ordered_json Chroma(const CIECHROMA& chroma) {
  return {{"x", chroma.x}, {"y", chroma.y}, {"Y", chroma.Y}};
}

ordered_json ColorInfo(const COLORINFO& info) {
  return {{"Red", Chroma(info.Red)},
          {"Green", Chroma(info.Green)},
          {"Blue", Chroma(info.Blue)},
          {"Cyan", Chroma(info.Cyan)},
          {"Magenta", Chroma(info.Magenta)},
          {"Yellow", Chroma(info.Yellow)},
          {"AlignmentWhite", Chroma(info.AlignmentWhite)},
          {"RedGamma", info.RedGamma},
          {"GreenGamma", info.GreenGamma},
          {"BlueGamma", info.BlueGamma},
          {"MagentaInCyanDye", info.MagentaInCyanDye},
          {"YellowInCyanDye", info.YellowInCyanDye},
          {"CyanInMagentaDye", info.CyanInMagentaDye},
          {"YellowInMagentaDye", info.YellowInMagentaDye},
          {"CyanInYellowDye", info.CyanInYellowDye},
          {"MagentaInYellowDye", info.MagentaInYellowDye}};
}

// A face name up to its terminator, as UTF-8.
std::string FaceName(const WCHAR (&name)[LF_FACESIZE]) {
  std::string text;
  for (WCHAR unit : name) {
    if (unit == 0) break;
    if (unit >= 0xD800 && unit <= 0xDFFF) unit = 0xFFFD;  // no halves of pairs in the log
    if (unit < 0x80) {
      text += static_cast<char>(unit);
    } else if (unit < 0x800) {
      text += static_cast<char>(0xC0 | unit >> 6);
      text += static_cast<char>(0x80 | (unit & 0x3F));
    } else {
      text += static_cast<char>(0xE0 | unit >> 12);
      text += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
      text += static_cast<char>(0x80 | (unit & 0x3F));
    }
  }
  return text;
}

ordered_json Font(const LOGFONTW& font) {
  return {{"lfHeight", font.lfHeight},
          {"lfWidth", font.lfWidth},
          {"lfEscapement", font.lfEscapement},
          {"lfOrientation", font.lfOrientation},
          {"lfWeight", font.lfWeight},
          {"lfItalic", font.lfItalic},
          {"lfUnderline", font.lfUnderline},
          {"lfStrikeOut", font.lfStrikeOut},
          {"lfCharSet", font.lfCharSet},
          {"lfOutPrecision", font.lfOutPrecision},
          {"lfClipPrecision", font.lfClipPrecision},
          {"lfQuality", font.lfQuality},
          {"lfPitchAndFamily", font.lfPitchAndFamily},
          {"lfFaceName", FaceName(font.lfFaceName)}};
}

}  // namespace

ordered_json GdiInfoJson(const GDIINFO& gdi) {
  return {{"ulVersion", gdi.ulVersion},
          {"ulTechnology", gdi.ulTechnology},
          {"ulHorzSize", gdi.ulHorzSize},
          {"ulVertSize", gdi.ulVertSize},
          {"ulHorzRes", gdi.ulHorzRes},
          {"ulVertRes", gdi.ulVertRes},
          {"cBitsPixel", gdi.cBitsPixel},
          {"cPlanes", gdi.cPlanes},
          {"ulNumColors", gdi.ulNumColors},
          {"flRaster", gdi.flRaster},
          {"ulLogPixelsX", gdi.ulLogPixelsX},
          {"ulLogPixelsY", gdi.ulLogPixelsY},
          {"flTextCaps", gdi.flTextCaps},
          {"ulDACRed", gdi.ulDACRed},
          {"ulDACGreen", gdi.ulDACGreen},
          {"ulDACBlue", gdi.ulDACBlue},
          {"ulAspectX", gdi.ulAspectX},
          {"ulAspectY", gdi.ulAspectY},
          {"ulAspectXY", gdi.ulAspectXY},
          {"xStyleStep", gdi.xStyleStep},
          {"yStyleStep", gdi.yStyleStep},
          {"denStyleStep", gdi.denStyleStep},
          {"ptlPhysOffset", {{"x", gdi.ptlPhysOffset.x}, {"y", gdi.ptlPhysOffset.y}}},
          {"szlPhysSize", {{"cx", gdi.szlPhysSize.cx}, {"cy", gdi.szlPhysSize.cy}}},
          {"ulNumPalReg", gdi.ulNumPalReg},
          {"ciDevice", ColorInfo(gdi.ciDevice)},
          {"ulDevicePelsDPI", gdi.ulDevicePelsDPI},
          {"ulPrimaryOrder", gdi.ulPrimaryOrder},
          {"ulHTPatternSize", gdi.ulHTPatternSize},
          {"ulHTOutputFormat", gdi.ulHTOutputFormat},
          {"flHTFlags", gdi.flHTFlags},
          {"ulVRefresh", gdi.ulVRefresh},
          {"ulBltAlignment", gdi.ulBltAlignment},
          {"ulPanningHorzRes", gdi.ulPanningHorzRes},
          {"ulPanningVertRes", gdi.ulPanningVertRes}};
}

ordered_json DevInfoJson(const DEVINFO& devinfo) {
  return {{"flGraphicsCaps", devinfo.flGraphicsCaps},
          {"lfDefaultFont", Font(devinfo.lfDefaultFont)},
          {"lfAnsiVarFont", Font(devinfo.lfAnsiVarFont)},
          {"lfAnsiFixFont", Font(devinfo.lfAnsiFixFont)},
          {"cFonts", devinfo.cFonts},
          {"iDitherFormat", devinfo.iDitherFormat},
          {"cxDither", devinfo.cxDither},
          {"cyDither", devinfo.cyDither},
          {"hpalDefault", devinfo.hpalDefault != nullptr}};
}
