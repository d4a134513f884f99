// Exceptions of the localisation subsystem.
#pragma once
#include "core/errors.h"

namespace velt::i18n {

// Base of every localisation failure.
class ETranslator : public Exception { using Exception::Exception; };
// A catalogue file could not be opened, mapped, or is not a catalogue.
class ETranslatorIOError : public ETranslator { using ETranslator::ETranslator; };
// Component translation was used the wrong way round.
class ETranslatorProgrammingError : public ETranslator { using ETranslator::ETranslator; };
// A component property could not be translated.
class ETranslatorComponentError : public ETranslator { using ETranslator::ETranslator; };

} // namespace velt::i18n
