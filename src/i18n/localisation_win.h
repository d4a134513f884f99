// Starting and stopping the localisation module in the Windows program.
//
//   int WINAPI WinMain(...) {
//       velt::i18n::LocalisationModule localisation;  // first thing
//       ...                                           // windows, message loop
//   }                                                 // stopped last
#pragma once
#include <string>

namespace velt::i18n {

// Installs the system ANSI code page, then starts the module with the
// Windows services: file mapping, the embedded-file table behind this
// executable's marker, "LANG" and the user locale, slim reader/writer locks,
// message boxes, and the string tables of this executable.
// `executablePath` stands in for this executable's path where catalogues
// are looked for (tests give a copy of the program in a folder of their
// own); empty means this executable.
void StartLocalisation(const std::string& executablePath = std::string());
void StopLocalisation();

class LocalisationModule {
public:
    explicit LocalisationModule(const std::string& executablePath = std::string()) {
        StartLocalisation(executablePath);
    }
    ~LocalisationModule() { StopLocalisation(); }
    LocalisationModule(const LocalisationModule&) = delete;
    LocalisationModule& operator=(const LocalisationModule&) = delete;
};

} // namespace velt::i18n
