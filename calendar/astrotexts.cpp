// German names of the moon phases and zodiac signs, in the grammatical cases
// the print templates ask for.
#include <string_view>

#include "calendar/astro.h"
#include "platform/rtl/cp1252.h"

namespace {

const std::string_view kPhaseNames[8] = {"Neumond", "zunehm. Mond", "Halbmond", "zunehm. Mond",
                                         "Vollmond", "abnehm. Mond", "Halbmond", "abnehm. Mond"};

constexpr auto kLoewe = CP1252("Löwe");
constexpr auto kLoewen = CP1252("Löwen");
constexpr auto kSchuetze = CP1252("Schütze");
constexpr auto kSchuetzen = CP1252("Schützen");

// Plain, nominative, genitive, dative, accusative; articles are the
// template's business.
const std::string_view kZodiacNames[12][5] = {
    {"Widder", "Widder", "Widders", "Widder", "Widder"},
    {"Stier", "Stier", "Stiers", "Stier", "Stier"},
    {"Zwillinge", "Zwillinge", "Zwillinge", "Zwillingen", "Zwillinge"},
    {"Krebs", "Krebs", "Krebses", "Krebs", "Krebs"},
    {kLoewe.view(), kLoewe.view(), kLoewen.view(), kLoewen.view(), kLoewen.view()},
    {"Jungfrau", "Jungfrau", "Jungfrau", "Jungfrau", "Jungfrau"},
    {"Waage", "Waage", "Waage", "Waage", "Waage"},
    {"Skorpion", "Skorpion", "Skorpions", "Skorpion", "Skorpion"},
    {kSchuetze.view(), kSchuetze.view(), kSchuetzen.view(), kSchuetzen.view(), kSchuetzen.view()},
    {"Steinbock", "Steinbock", "Steinbocks", "Steinbock", "Steinbock"},
    {"Wassermann", "Wassermann", "Wassermanns", "Wassermann", "Wassermann"},
    {"Fische", "Fische", "Fische", "Fischen", "Fische"}};

void CheckCase(int grammaticalCase) {
  if (grammaticalCase < 0 || grammaticalCase > 4) throw ERangeError("Grammatical case out of range");
}

}  // namespace

AnsiString MoonPhaseName(int phase, int keepAbbreviation, int keepCase, int grammaticalCase) {
  if (phase < 1 || phase > 8) throw ERangeError("Moon phase out of range");
  CheckCase(grammaticalCase);
  AnsiString name(kPhaseNames[phase - 1]);
  if (keepCase == 0 && phase % 2 == 0) name[0] = static_cast<char>(name[0] - 'a' + 'A');
  if (keepAbbreviation == 0) {
    static const char* const kEndings[5] = {"ender", "ender", "enden", "endem", "enden"};
    const size_t dot = name.find('.');
    if (dot != AnsiString::npos) name.replace(dot, 1, kEndings[grammaticalCase]);
    // Genitive of "Mond": "des zunehmenden Monds", "des Vollmonds".
    if (grammaticalCase == 2) name += 's';
  }
  return name;
}

AnsiString ZodiacSignName(int sign, int grammaticalCase) {
  if (sign < 0 || sign > 11) throw ERangeError("Zodiac sign out of range");
  CheckCase(grammaticalCase);
  return AnsiString(kZodiacNames[sign][grammaticalCase]);
}
