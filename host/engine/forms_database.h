// The spooler's forms database as the host provides it: named paper sizes
// with their imageable areas, all lengths in micrometres, y growing
// downwards from the top edge. It starts with the platform's usual built-in
// forms, in the platform's order (so that a form's position counting from 1
// is its standard paper number: Letter is 1, A4 is 9); a host can add forms
// or replace the whole list.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "engine/types.h"

struct Form {
  std::u16string name;
  DWORD flags;
  SIZEL size;
  RECTL imageable_area;
};

// A form whose imageable area is the whole sheet.
Form WholeSheetForm(std::u16string name, DWORD flags, LONG width, LONG height);

// The platform's built-in paper and envelope sizes.
std::vector<Form> BuiltInForms();

class FormsDatabase {
 public:
  FormsDatabase();

  std::vector<Form> Forms() const;
  void Replace(std::vector<Form> forms);
  void Add(Form form);

  // EngEnumForms: level 1 only (ERROR_INVALID_LEVEL otherwise). Packs one
  // FORM_INFO_1 per form at the start of buffer and the names, each with its
  // terminator, at the end; needed receives the bytes that takes. A buffer
  // that is too small (or absent while there are forms) gives
  // ERROR_INSUFFICIENT_BUFFER and leaves returned at 0; on success returned
  // is the number of forms and the result is ERROR_SUCCESS. The buffer must
  // be aligned for FORM_INFO_1.
  DWORD Enumerate(DWORD level, BYTE* buffer, DWORD size, DWORD* needed, DWORD* returned) const;

 private:
  mutable std::mutex mutex_;
  std::vector<Form> forms_;
};
