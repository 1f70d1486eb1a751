#include "maps/value_entry.h"

#include <cmath>
#include <cstdio>

#include "core/text.h"

namespace velmora::maps {

namespace {

constexpr char32_t kBackspace = 8;

// The text box takes either separator whatever the system's locale says.
constexpr char kDecimalComma = ',';

void Take(const core::ClsLingue& lingue, int offset, int k, std::string& into) {
  std::string t = lingue.Testo(offset, k);
  if (!t.empty()) {
    into = std::move(t);
  }
}

}  // namespace

EnterValueTexts LoadEnterValueTexts(const core::ClsLingue& lingue, std::string_view version_text) {
  namespace t = enter_value_text;
  EnterValueTexts texts;
  // Entry 0 is the language's title, so a marker is never found there.
  const int offset = lingue.MarkerOffset(t::kMarker);
  if (offset > 0) {
    Take(lingue, offset, t::kCaption, texts.caption);
    Take(lingue, offset, t::kNotANumber, texts.not_a_number);
    Take(lingue, offset, t::kAboveMax, texts.above_max);
    Take(lingue, offset, t::kBelowMin, texts.below_min);
    Take(lingue, offset, t::kAdd, texts.options[opzione::kSomma]);
    Take(lingue, offset, t::kPercent, texts.options[opzione::kPercentuale]);
    Take(lingue, offset, t::kSet, texts.options[opzione::kImposta]);
    Take(lingue, offset, t::kValue, texts.value);
    Take(lingue, offset, t::kOperation, texts.operation);
    Take(lingue, offset, t::kHint, texts.hint);
  }
  texts.caption += version_text;
  return texts;
}

std::string FormatLimit(double limit) {
  if (!std::isfinite(limit)) {
    return "0";
  }
  if (limit == std::trunc(limit) && std::fabs(limit) < 1e15) {
    return std::to_string(static_cast<long long>(limit));
  }
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", limit);
  return buf;
}

std::optional<int> OpzioneDiOperazione(int code) {
  switch (code) {
    case operazione::kSomma:
      return opzione::kSomma;
    case operazione::kPercentuale:
      return opzione::kPercentuale;
    case operazione::kImposta:
      return opzione::kImposta;
    default:
      return std::nullopt;
  }
}

void FrmEnterValue::Carica() {
  risultato_ = Risultato{operazione::kImposta, 0};
  tag_ = "0";
  opzione_ = opzione::kSomma;
}

void FrmEnterValue::SistemaSoglie(double max_somma, double min_somma, double max_percentuale,
                                  double min_percentuale, double max_imposta, double min_imposta) {
  SistemaSoglie(Soglie{
      {max_somma, min_somma}, {max_percentuale, min_percentuale}, {max_imposta, min_imposta}});
}

void FrmEnterValue::SistemaSoglie(const Soglie& s) {
  soglie_ = s;
  opzione_ = opzione::kSomma;
}

Limite FrmEnterValue::LimiteDi(int option) const {
  switch (option) {
    case opzione::kPercentuale:
      return soglie_.percentuale;
    case opzione::kImposta:
      return soglie_.imposta;
    default:
      return soglie_.somma;
  }
}

void FrmEnterValue::SelezionaOpzione(int option) {
  if (option >= 0 && option < opzione::kCount) {
    opzione_ = option;
  }
}

bool FrmEnterValue::TastoAmmesso(char32_t key) {
  return (key >= U'0' && key <= U'9') || key == U',' || key == U'-' || key == U'.' ||
         key == kBackspace;
}

Esito FrmEnterValue::Conferma(std::string_view text) {
  const std::optional<double> parsed = core::ParseDecimal(text, kDecimalComma);
  if (!parsed || !std::isfinite(*parsed)) {
    return {false, texts_.not_a_number};
  }
  const double value = *parsed;
  const Limite limit = LimiteDi(opzione_);
  if (value > limit.max) {
    return {false, texts_.above_max + " " + FormatLimit(limit.max)};
  }
  if (value < limit.min) {
    return {false, texts_.below_min + " " + FormatLimit(limit.min)};
  }
  static constexpr int kCodeOf[opzione::kCount] = {operazione::kSomma, operazione::kPercentuale,
                                                   operazione::kImposta};
  risultato_ = Risultato{kCodeOf[opzione_], static_cast<float>(value)};
  fatto_ = true;
  return {true, {}};
}

void FrmEnterValue::Annulla() {
  risultato_ = Risultato{operazione::kAnnullata, 0};
  fatto_ = true;
}

}  // namespace velmora::maps
