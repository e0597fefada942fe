// The dataset layer's errors: the engine's result codes in German words
// for the user, and the exceptions that carry them.
#include <cctype>
#include <cerrno>

#include "platform/db/db.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/files.h"
#include "platform/rtl/sysutils.h"

// ---------------------------------------------------------------------------
// Errors.

AnsiString EngineProblemText(TBapiResult code, int systemError, TEngineAccess access) {
  const char* restore = " Stellen Sie sie aus einer Sicherung wieder her.";
  const AnsiString rights = CP1252(" Prüfen Sie die Zugriffsrechte ihres Verzeichnisses und der Dateien darin.").str();
  switch (code) {
    case bapiFileNotFound:
    case bapiNoSuchTable: return AnsiString("Sie fehlt.") + restore;
    case rcFileDamaged: return CP1252("Sie ist beschädigt.").str() + restore;
    case bapiInvalidBookmark: return CP1252("Der Eintrag ist nicht mehr darin; er wurde inzwischen gelöscht.").str();
    case bapiInvalidDictionary: return CP1252("Sie ist keine Tabelle von Orvelan, oder sie ist beschädigt.").str() + restore;
    case bapiNoSuchIndex:
    case bapiFieldOutOfRange:
      return CP1252("Sie hat nicht den Aufbau, den diese Version von Orvelan erwartet, oder sie ist beschädigt.").str() +
             restore;
    case bapiTableExists: return "Sie ist schon vorhanden.";
    case bapiTableInUse:
    case bapiNotExclusive:
      return "Sie wird gerade von einem anderen Programm benutzt. Beenden Sie dieses Programm und versuchen Sie es "
             "dann noch einmal.";
    case rcAccessDenied: return "Das System verweigert den Zugriff auf sie (fehlende Zugriffsrechte)." + rights;
    case bapiTableReadOnly: return CP1252("Sie ist schreibgeschützt.").str() + rights;
    case bapiOutOfMemory:
      return CP1252("Der Arbeitsspeicher reicht nicht aus. Schließen Sie andere Programme und versuchen Sie es dann "
                    "noch einmal.")
          .str();
    case rcDiskFull:
      return CP1252("Der Datenträger ist voll. Schaffen Sie Platz auf dem Datenträger und versuchen Sie es dann noch "
                    "einmal.")
          .str();
    case bapiIOError:
      if (systemError != 0 && systemError != EIO)
        return CP1252("Der Zugriff auf sie scheitert: ").str() + SysErrorMessage(systemError);
      if (access == eaWrite)
        return CP1252("Der Datenträger meldet einen Fehler beim Schreiben in sie. Prüfen Sie den Datenträger und "
                      "versuchen Sie es dann noch einmal.")
            .str();
      return CP1252("Der Datenträger meldet einen Fehler beim Zugriff auf sie. Prüfen Sie den Datenträger; lässt sich "
                    "die Datei danach noch immer nicht lesen, stellen Sie sie aus einer Sicherung wieder her.")
          .str();
    case bapiKeyViolation:
      return CP1252("Sie enthält schon einen Eintrag mit demselben Schlüssel. Ändern Sie Ihre Eingabe.").str();
    case bapiRequiredFieldMissing:
      return CP1252("Ein Feld, das ausgefüllt sein muss, ist leer. Füllen Sie es aus.").str();
    case bapiBeginOfCursor:
    case bapiEndOfCursor: return "Es gibt in ihr keinen weiteren Eintrag in dieser Richtung.";
    case bapiNoCurrentRecord:
      return CP1252("Es ist kein Eintrag in ihr gewählt, oder er wurde inzwischen gelöscht.").str();
    case bapiRecordNotFound: return "Der gesuchte Eintrag ist nicht in ihr.";
    case bapiEndOfBlob: return CP1252("Ein Text oder Bild in ihr ist kürzer als angegeben.").str() + restore;
    case bapiBlobNotOpened: return CP1252("Ein Text oder Bild in ihr ist nicht geöffnet.").str();
    case bapiNoSuchConfigPath: return "Ein Eintrag der Einstellungen der Datenbank fehlt.";
    case bapiInvalidHandle:
    case bapiNotClientSession:
      return CP1252("Die Verbindung zu ihr ist nicht mehr gültig. Beenden Sie Orvelan und starten Sie es neu.").str();
    case bapiInvalidParameter: return CP1252("Die Datenbank hat eine Anfrage mit einem ungültigen Wert erhalten.").str();
    case bapiInvalidFilter: return CP1252("Die Bedingung, nach der ihre Einträge gewählt werden, ist ungültig.").str();
    case bapiUnknownFilterField:
      return CP1252("Die Bedingung, nach der ihre Einträge gewählt werden, nennt ein Feld, das sie nicht hat.").str();
    case bapiNameTooLong: return CP1252("Ihr Name oder Pfad ist für die Datenbank zu lang.").str();
    case bapiNoSuchAlias: return CP1252("Die Datenbank, zu der sie gehört, ist nicht angemeldet.").str();
    case bapiAliasExists: return CP1252("Die Datenbank, zu der sie gehört, ist schon angemeldet.").str();
    case rcInTransaction: return CP1252("Eine Änderung an ihr ist noch nicht abgeschlossen.").str();
    case rcNoTransaction: return CP1252("An ihr ist keine Änderung offen, die abgeschlossen werden könnte.").str();
    case bapiNotSupported:
    case bapiNotImplemented: return "Die Datenbank kann das mit ihr nicht.";
    // A number no text knows: the engine's own words beside it.
    default: return "Die Datenbank meldet den Fehler " + IntToStr(code) + ".";
  }
}

AnsiString EngineErrorMessage(TBapiResult code, const AnsiString& file, TEngineAccess access, int systemError) {
  const AnsiString named =
      file.empty() ? AnsiString("eine Datei der Datenbank") : "die Datei \"" + ShownFileName(file) + "\"";
  AnsiString head;
  switch (access) {
    case eaRead: head = named + " kann nicht gelesen werden:"; break;
    case eaOpen: head = named + CP1252(" kann nicht geöffnet werden:").str(); break;
    case eaWrite: head = "in " + named + " kann nicht geschrieben werden:"; break;
  }
  head[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(head[0])));
  return head + "\r" + EngineProblemText(code, systemError, access);
}

namespace {

// The file whose write failed behind `result`. Only a disk's answer comes
// from one; a call refused before it reached the engine leaves the last
// call's file standing.
AnsiString WrittenFile(TBapiResult result) {
  const bool disk = result == rcDiskFull || result == bapiIOError || result == rcAccessDenied;
  return disk ? BapiLastWrittenFile() : AnsiString();
}

}  // namespace

void Check(TBapiResult result) {
  if (result == bapiOk) return;
  const int err = BapiLastSystemError();
  // A commit of several tables has no file of its own: the engine names the
  // one it could not write.
  const AnsiString written = WrittenFile(result);
  const TEngineAccess access = written.empty() ? eaRead : eaWrite;
  throw EDBEngineError(result, EngineErrorMessage(result, written, access, err), err, access == eaWrite);
}

void TDataSet::Check(TBapiResult result, TEngineAccess access) const {
  if (result == bapiOk) return;
  const int err = BapiLastSystemError();  // before FilePath asks anything
  AnsiString file = WrittenFile(result);
  if (!file.empty()) {
    access = eaWrite;  // also a write an open or a read needed (a recovery's)
  } else {
    try {
      file = FilePath();
    } catch (const std::exception&) {
      // The message then names no file rather than hiding the engine's answer.
    }
  }
  throw EDBEngineError(result, EngineErrorMessage(result, file, access, err), err, access == eaWrite);
}

void DatabaseError(const AnsiString& message) { throw EDatabaseError(message); }
