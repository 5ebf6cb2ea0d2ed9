// Registers the class library's classes that form descriptions create by name (TForm,
// TButton, TCheckBox, TEdit, TLabel, TListBox, TProgressBar, TTimer, TOpenDialog,
// TBrowseFolderDialog). Idempotent; the form reader calls it.
#pragma once

void RegisterStandardClasses();
