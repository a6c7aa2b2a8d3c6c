#include "output/escapes.h"

#include <cstring>

#include "driver/pdev.h"
#include "engine/constants.h"
#include "engine/services.h"
#include "settings/devmode.h"

namespace {

constexpr CHAR SZ_TECHNOLOGY[] = "Thermoprinter";

ULONG Result(LONG l) { return static_cast<ULONG>(l); }

ULONG QueryEscSupport(ULONG cjIn, const void* pvIn) {
  if (pvIn == nullptr || cjIn < sizeof(WORD)) return 0;
  WORD wEsc;
  std::memcpy(&wEsc, pvIn, sizeof wEsc);
  return wEsc == SETCOPYCOUNT ? MAX_COPIES : isSupported(wEsc);
}

ULONG GetTechnology(ULONG cjOut, void* pvOut) {
  if (pvOut == nullptr || cjOut < sizeof SZ_TECHNOLOGY) {
    EngSetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::memcpy(pvOut, SZ_TECHNOLOGY, sizeof SZ_TECHNOLOGY);
  return 1;
}

ULONG SetCopyCount(PDEV* pdev, ULONG cjIn, const void* pvIn, ULONG cjOut, void* pvOut) {
  if (pvIn == nullptr || cjIn < sizeof(ULONG)) return Result(ESC_NO_INPUT);
  ULONG cCopies;
  std::memcpy(&cCopies, pvIn, sizeof cCopies);
  if (cCopies >= MAX_COPIES) cCopies = MAX_COPIES;
  if (cCopies == 0) cCopies = 1;
  pdev->cCopies = cCopies;
  if (pvOut != nullptr && cjOut >= sizeof(ULONG)) std::memcpy(pvOut, &cCopies, sizeof cCopies);
  return 1;
}

// Stores the text and clears the rest of the field, so that a text without
// its terminator never runs into an earlier, longer one. The text is checked
// as it would be stored (an odd last byte becomes a whole unit).
template <std::size_t CchField>
ULONG SetTrack(WCHAR (&wszField)[CchField], ULONG cjIn, const void* pvIn) {
  if (pvIn == nullptr || cjIn == 0) return Result(ESC_NO_INPUT);
  if (cjIn > sizeof wszField) return Result(ESC_BAD_TRACK_TEXT);
  WCHAR wszText[CchField] = {};
  std::memcpy(wszText, pvIn, cjIn);
  if (!bIsTrackText(wszText, CchField)) return Result(ESC_BAD_TRACK_TEXT);
  std::memcpy(wszField, wszText, sizeof wszField);
  return 1;
}

ULONG SetMagMode(PDEV* pdev, ULONG cjIn, const void* pvIn) {
  if (pvIn == nullptr || cjIn == 0) return Result(ESC_NO_INPUT);
  if (cjIn != 1) return Result(ESC_BAD_SIZE);
  switch (*static_cast<const CHAR*>(pvIn)) {
    case 'Q':
      pdev->dm.dmPrivate.wMagMode = MAGMODE_Q;
      return 1;
    case 'R':
      pdev->dm.dmPrivate.wMagMode = MAGMODE_R;
      return 1;
    case 'W':
      pdev->dm.dmPrivate.wMagMode = MAGMODE_W;
      return 1;
    default:
      return Result(ESC_BAD_MODE_LETTER);
  }
}

}  // namespace

ULONG isSupported(ULONG iEsc) {
  switch (iEsc) {
    case QUERYESCSUPPORT:
    case SETCOPYCOUNT:
    case GETTECHNOLOGY:
    case SETMAGTRACK1:
    case SETMAGTRACK2:
    case SETMAGTRACK3:
    case SETMAGMODE:
      return 1;
    default:
      return 0;
  }
}

ULONG DrvEscape(SURFOBJ* pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut) {
  if (!isSupported(iEsc)) return 0;
  if (iEsc == QUERYESCSUPPORT) return QueryEscSupport(cjIn, pvIn);
  if (iEsc == GETTECHNOLOGY) return GetTechnology(cjOut, pvOut);

  PDEV* pdev = PdevOfSurface(pso);
  if (!bValidatePDEV(pdev)) {
    EngSetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  PRIVATEDEVMODE& dmp = pdev->dm.dmPrivate;
  switch (iEsc) {
    case SETCOPYCOUNT:
      return SetCopyCount(pdev, cjIn, pvIn, cjOut, pvOut);
    case SETMAGTRACK1:
      return SetTrack(dmp.wszTrack1, cjIn, pvIn);
    case SETMAGTRACK2:
      return SetTrack(dmp.wszTrack2, cjIn, pvIn);
    case SETMAGTRACK3:
      return SetTrack(dmp.wszTrack3, cjIn, pvIn);
    default:
      return SetMagMode(pdev, cjIn, pvIn);
  }
}
