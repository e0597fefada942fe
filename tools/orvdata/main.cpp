// orvdata: builds the reference tables and long-text archives of a program
// directory from the sources under data/.
//
//   orvdata <data folder> <program folder> [<fortune folder>]
//
// Writes <program folder>/DATEN/*.FFD, Ereignis.Stx, Person.Stx and
// Feiertag.Stx and prints the data report. Any fault in the sources stops
// the build with "<file>:<line>: <message>" and exit status 1, leaving the
// previous DATEN untouched.
#include <cstdio>
#include <exception>

#include "tools/orvdata/build.h"

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "Aufruf: orvdata <Datenordner> <Programmordner> [<Ordner der Spruchdateien>]\n");
    return 2;
  }
  const std::string fortunes = argc == 4 ? argv[3] : "/usr/share/games/fortunes/de";
  try {
    TReferenceData data = LoadReferenceData(argv[1], fortunes);
    TBuildCounts counts = WriteReferenceData(data, argv[2]);
    std::fputs(DataReport(data, counts).c_str(), stdout);
  } catch (const ESourceError& e) {
    std::fprintf(stderr, "orvdata: %s\n", e.Message().c_str());
    return 1;
  } catch (const Exception& e) {
    std::fprintf(stderr, "orvdata: %s: %s\n", e.ClassName(), e.Message().c_str());
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "orvdata: %s\n", e.what());
    return 1;
  }
  return 0;
}
