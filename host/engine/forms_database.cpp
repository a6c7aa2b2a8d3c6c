#include "host/engine/forms_database.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/constants.h"
#include "engine/records.h"

Form WholeSheetForm(std::u16string name, DWORD flags, LONG width, LONG height) {
  return Form{std::move(name), flags, SIZEL{width, height}, RECTL{0, 0, width, height}};
}

namespace {

struct BuiltIn {
  const char16_t* name;
  LONG width;
  LONG height;
};

// Sizes in micrometres, in the order of the platform's standard paper numbers.
constexpr BuiltIn kBuiltInForms[] = {
    {u"Letter", 215900, 279400},
    {u"Letter Small", 215900, 279400},
    {u"Tabloid", 279400, 431800},
    {u"Ledger", 431800, 279400},
    {u"Legal", 215900, 355600},
    {u"Statement", 139700, 215900},
    {u"Executive", 184150, 266700},
    {u"A3", 297000, 420000},
    {u"A4", 210000, 297000},
    {u"A4 Small", 210000, 297000},
    {u"A5", 148000, 210000},
    {u"B4 (JIS)", 257000, 364000},
    {u"B5 (JIS)", 182000, 257000},
    {u"Folio", 215900, 330200},
    {u"Quarto", 215000, 275000},
    {u"10x14", 254000, 355600},
    {u"11x17", 279400, 431800},
    {u"Note", 215900, 279400},
    {u"Envelope #9", 98425, 225425},
    {u"Envelope #10", 104775, 241300},
    {u"Envelope #11", 114300, 263525},
    {u"Envelope #12", 120650, 279400},
    {u"Envelope #14", 127000, 292100},
    {u"C size sheet", 431800, 558800},
    {u"D size sheet", 558800, 863600},
    {u"E size sheet", 863600, 1117600},
    {u"Envelope DL", 110000, 220000},
    {u"Envelope C5", 162000, 229000},
    {u"Envelope C3", 324000, 458000},
    {u"Envelope C4", 229000, 324000},
    {u"Envelope C6", 114000, 162000},
    {u"Envelope C65", 114000, 229000},
    {u"Envelope B4", 250000, 353000},
    {u"Envelope B5", 176000, 250000},
    {u"Envelope B6", 176000, 125000},
    {u"Envelope", 110000, 230000},
    {u"Envelope Monarch", 98425, 190500},
    {u"6 3/4 Envelope", 92075, 165100},
    {u"US Std Fanfold", 377825, 279400},
    {u"German Std Fanfold", 215900, 304800},
    {u"German Legal Fanfold", 215900, 330200},
};

}  // namespace

std::vector<Form> BuiltInForms() {
  std::vector<Form> forms;
  forms.reserve(std::size(kBuiltInForms));
  for (const BuiltIn& form : kBuiltInForms) {
    forms.push_back(WholeSheetForm(form.name, FORM_BUILTIN, form.width, form.height));
  }
  return forms;
}

FormsDatabase::FormsDatabase() : forms_(BuiltInForms()) {}

std::vector<Form> FormsDatabase::Forms() const {
  std::lock_guard lock(mutex_);
  return forms_;
}

void FormsDatabase::Replace(std::vector<Form> forms) {
  std::lock_guard lock(mutex_);
  forms_ = std::move(forms);
}

void FormsDatabase::Add(Form form) {
  std::lock_guard lock(mutex_);
  forms_.push_back(std::move(form));
}

DWORD FormsDatabase::Enumerate(DWORD level, BYTE* buffer, DWORD size, DWORD* needed,
                               DWORD* returned) const {
  std::lock_guard lock(mutex_);
  if (returned != nullptr) *returned = 0;
  if (needed != nullptr) *needed = 0;
  if (level != 1) return ERROR_INVALID_LEVEL;

  std::size_t total = forms_.size() * sizeof(FORM_INFO_1);
  for (const Form& form : forms_) total += (form.name.size() + 1) * sizeof(WCHAR);
  if (needed != nullptr) *needed = static_cast<DWORD>(total);
  if (size < total || (buffer == nullptr && total != 0)) return ERROR_INSUFFICIENT_BUFFER;

  auto* records = reinterpret_cast<FORM_INFO_1*>(buffer);
  BYTE* names_end = buffer + total;
  for (std::size_t i = 0; i < forms_.size(); ++i) {
    const Form& form = forms_[i];
    std::size_t name_bytes = (form.name.size() + 1) * sizeof(WCHAR);
    names_end -= name_bytes;
    std::memcpy(names_end, form.name.c_str(), name_bytes);
    records[i] = FORM_INFO_1{form.flags, reinterpret_cast<LPWSTR>(names_end), form.size,
                             form.imageable_area};
  }
  if (returned != nullptr) *returned = static_cast<DWORD>(forms_.size());
  return ERROR_SUCCESS;
}
