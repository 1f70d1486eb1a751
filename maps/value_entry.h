#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/dictionary.h"

namespace velmora::maps {

// The operation code handed back to the calling grid.
namespace operazione {
inline constexpr int kAnnullata = 0;  // the grid beeps and changes nothing
inline constexpr int kSomma = 1;      // cell + value
inline constexpr int kPercentuale = 2;
inline constexpr int kImposta = 3;  // cell = value
}  // namespace operazione

// The option buttons (OptTipoOper) in the order they are shown.
namespace opzione {
inline constexpr int kSomma = 0;
inline constexpr int kPercentuale = 1;
inline constexpr int kImposta = 2;
inline constexpr int kCount = 3;
}  // namespace opzione

// Texts of the dialog, relative to its marker.
namespace enter_value_text {
inline constexpr std::string_view kMarker = "[Frm_EnterValue]";
inline constexpr int kCaption = 1;
inline constexpr int kNotANumber = 2;
inline constexpr int kAboveMax = 3;
inline constexpr int kBelowMin = 4;
inline constexpr int kAdd = 5;
inline constexpr int kPercent = 6;
inline constexpr int kSet = 7;
inline constexpr int kValue = 8;
inline constexpr int kOperation = 9;
inline constexpr int kHint = 10;
}  // namespace enter_value_text

struct Limite {
  double max = 0;
  double min = 0;
};

// The limits of the three operations, as a grid passes them.
struct Soglie {
  Limite somma;
  Limite percentuale;
  Limite imposta;
};

// The limits each kind of grid opens the dialog with.
namespace soglie {
// Injection map grid and carburation grid.
inline constexpr Soglie kMappa{{100, -100}, {50, -50}, {255, 0}};
// Lambda-emulation grid and switch-over temperature grid.
inline constexpr Soglie kLambda{{255, -255}, {100, -100}, {127, -127}};
inline constexpr Soglie kIniezioneDiretta{{255, -255}, {200, -200}, {150, 0}};
}  // namespace soglie

// What the dialog hands back: the operation code and the value.
struct Risultato {
  int operazione = operazione::kImposta;
  float valore = 0;
};

// The dialog's texts in the chosen language.
struct EnterValueTexts {
  std::string caption = "Enter value";
  std::string not_a_number = "Enter a valid number";
  std::string above_max = "The value is above the maximum:";
  std::string below_min = "The value is below the minimum:";
  std::array<std::string, opzione::kCount> options = {"Add", "Percent", "Set"};
  std::string value = "Value";
  std::string operation = "Operation";
  std::string hint = "Press Enter to apply, Esc to cancel";
};

// The texts of "[Frm_EnterValue]" in the chosen language; the caption gets
// the version text appended. A dictionary without the block, or with empty
// entries, keeps the built-in English texts.
[[nodiscard]] EnterValueTexts LoadEnterValueTexts(const core::ClsLingue& lingue,
                                                  std::string_view version_text);

// A limit as the messages show it: whole numbers without decimals.
[[nodiscard]] std::string FormatLimit(double limit);

// The option that produces an operation code; none for a cancel.
[[nodiscard]] std::optional<int> OpzioneDiOperazione(int code);

// Outcome of pressing Enter: accepted, or refused with the text to show.
struct Esito {
  bool accettato = false;
  std::string messaggio;
};

// The value entry dialog without its window: the limits, the selected
// option, the validation of the typed text and the result. Created once and
// reused; the limits stay until the next SistemaSoglie.
class FrmEnterValue {
 public:
  FrmEnterValue() { Carica(); }

  void SetTexts(EnterValueTexts texts) { texts_ = std::move(texts); }
  [[nodiscard]] const EnterValueTexts& Texts() const { return texts_; }

  // Window load: value 0, text "0", operation "set", first option.
  void Carica();

  // Stores the six limits and selects the first option (add).
  void SistemaSoglie(double max_somma, double min_somma, double max_percentuale,
                     double min_percentuale, double max_imposta, double min_imposta);
  void SistemaSoglie(const Soglie& s);
  [[nodiscard]] const Soglie& Limiti() const { return soglie_; }
  [[nodiscard]] Limite LimiteDi(int option) const;

  // An index outside the options is ignored.
  void SelezionaOpzione(int option);
  [[nodiscard]] int Opzione() const { return opzione_; }

  // The dialog's starting text ("0"), the tag of TxtValue.
  [[nodiscard]] const std::string& TestoIniziale() const { return tag_; }

  // Whether a typed character reaches the text box: digits, ",", "-", "."
  // and Backspace.
  [[nodiscard]] static bool TastoAmmesso(char32_t key);

  // Enter: checks `text` against the selected option's limits. Accepted
  // values set the result and the done flag; refused ones leave both alone.
  [[nodiscard]] Esito Conferma(std::string_view text);

  // Esc or the close box: operation 0, value 0, done.
  void Annulla();

  // The caller clears the done flag before it shows the dialog again.
  void Riarma() { fatto_ = false; }
  [[nodiscard]] bool Fatto() const { return fatto_; }
  [[nodiscard]] const Risultato& Result() const { return risultato_; }

 private:
  EnterValueTexts texts_;
  Soglie soglie_{};
  int opzione_ = opzione::kSomma;
  std::string tag_ = "0";
  Risultato risultato_;
  bool fatto_ = false;
};

}  // namespace velmora::maps
