// Starting and stopping the localisation module in the Windows program.
//
//   int WINAPI WinMain(...) {
//       velt::i18n::LocalisationModule localisation;  // first thing
//       ...                                           // windows, message loop
//   }                                                 // stopped last
#pragma once

namespace velt::i18n {

// Installs the system ANSI code page, then starts the module with the
// Windows services: file mapping, the embedded-file table behind this
// executable's marker, "LANG" and the user locale, slim reader/writer locks,
// message boxes, and the string tables of this executable.
void StartLocalisation();
void StopLocalisation();

class LocalisationModule {
public:
    LocalisationModule() { StartLocalisation(); }
    ~LocalisationModule() { StopLocalisation(); }
    LocalisationModule(const LocalisationModule&) = delete;
    LocalisationModule& operator=(const LocalisationModule&) = delete;
};

} // namespace velt::i18n
