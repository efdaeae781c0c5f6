<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>CAboutDlg</name>
    <message>
        <source>About Wingmate</source>
        <translation>Über Wingmate</translation>
    </message>
    <message>
        <source>&lt;b&gt;Tessera Wingmate&lt;/b&gt;&lt;br&gt;%1&lt;br&gt;&lt;br&gt;A macro manager for Linux desktops.</source>
        <translation>&lt;b&gt;Tessera Wingmate&lt;/b&gt;&lt;br&gt;%1&lt;br&gt;&lt;br&gt;Eine Makroverwaltung für Linux-Desktops.</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
</context>
<context>
    <name>CDBusNotifier</name>
    <message>
        <source>Show Output</source>
        <translation>Ausgabe zeigen</translation>
    </message>
</context>
<context>
    <name>CEditorDlg</name>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>Ö&amp;ffnen</translation>
    </message>
    <message>
        <source>&amp;Script</source>
        <translation>&amp;Skript</translation>
    </message>
    <message>
        <source>&amp;Declarations</source>
        <translation>&amp;Deklarationen</translation>
    </message>
    <message>
        <source>&amp;All</source>
        <translation>&amp;Alle</translation>
    </message>
    <message>
        <source>Save &amp;All</source>
        <translation>&amp;Alles speichern</translation>
    </message>
    <message>
        <source>Save S&amp;cript As...</source>
        <translation>Skript speichern &amp;unter...</translation>
    </message>
    <message>
        <source>&amp;Print...</source>
        <translation>&amp;Drucken...</translation>
    </message>
    <message>
        <source>&amp;Refresh Decs</source>
        <translation>Deklarationen &amp;neu laden</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Rückgängig</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Wiederholen</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>&amp;Ausschneiden</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>&amp;Einfügen</translation>
    </message>
    <message>
        <source>&amp;Find</source>
        <translation>&amp;Suchen</translation>
    </message>
    <message>
        <source>R&amp;eplace</source>
        <translation>Erse&amp;tzen</translation>
    </message>
    <message>
        <source>&amp;Go to Line...</source>
        <translation>&amp;Gehe zu Zeile...</translation>
    </message>
    <message>
        <source>Complete &amp;Word</source>
        <translation>Wort &amp;vervollständigen</translation>
    </message>
    <message>
        <source>&amp;Run</source>
        <translation>&amp;Ausführen</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;Wingmate</source>
        <translation>&amp;Wingmate</translation>
    </message>
    <message>
        <source>&amp;Tessera</source>
        <translation>&amp;Tessera</translation>
    </message>
    <message>
        <source>Window Declarations</source>
        <translation>Fensterdeklarationen</translation>
    </message>
    <message>
        <source>Line: %1</source>
        <translation>Zeile: %1</translation>
    </message>
    <message>
        <source>How the script is read and written (File &gt; Reopen with Encoding, Save with Encoding)</source>
        <translation>Wie das Skript gelesen und geschrieben wird (Datei &gt; Mit Kodierung neu öffnen, Mit Kodierung speichern)</translation>
    </message>
    <message>
        <source>Col: %1</source>
        <translation>Spalte: %1</translation>
    </message>
    <message>
        <source>Line %1, column %2: </source>
        <translation>Zeile %1, Spalte %2: </translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Speichern</translation>
    </message>
    <message>
        <source>Reopen &amp;with Encoding</source>
        <translation>&amp;Mit Kodierung neu öffnen</translation>
    </message>
    <message>
        <source>Save with &amp;Encoding</source>
        <translation>Mit &amp;Kodierung speichern</translation>
    </message>
    <message>
        <source>Reading %1…</source>
        <translation>%1 wird gelesen…</translation>
    </message>
    <message>
        <source>Not UTF-8: read as %1 (File &gt; Reopen with Encoding chooses another).</source>
        <translation>Kein UTF-8: als %1 gelesen (Datei &gt; Mit Kodierung neu öffnen wählt eine andere).</translation>
    </message>
    <message>
        <source>Scripts run from an editor opened by the main window.</source>
        <translation>Skripte laufen aus einem Editor, den das Hauptfenster geöffnet hat.</translation>
    </message>
    <message>
        <source>The script is still running (Stop on the main window ends it).</source>
        <translation>Das Skript läuft noch (Stopp im Hauptfenster beendet es).</translation>
    </message>
    <message>
        <source>Not run: line %1, column %2: %3</source>
        <translation>Nicht ausgeführt: Zeile %1, Spalte %2: %3</translation>
    </message>
    <message>
        <source>Not run: %1</source>
        <translation>Nicht ausgeführt: %1</translation>
    </message>
    <message>
        <source>Running %1… (output on the main window&apos;s Output page)</source>
        <translation>%1 läuft… (Ausgabe auf der Seite „Ausgabe“ des Hauptfensters)</translation>
    </message>
    <message>
        <source> It wrote no log.</source>
        <translation> Es hat kein Protokoll geschrieben.</translation>
    </message>
    <message>
        <source> Its output is in %1.</source>
        <translation> Seine Ausgabe steht in %1.</translation>
    </message>
    <message>
        <source>Run of %1 ended.</source>
        <translation>Lauf von %1 beendet.</translation>
    </message>
    <message>
        <source>Run of %1 failed: </source>
        <translation>Lauf von %1 fehlgeschlagen: </translation>
    </message>
    <message>
        <source>line %1: %2</source>
        <translation>Zeile %1: %2</translation>
    </message>
    <message>
        <source>Go to Line</source>
        <translation>Gehe zu Zeile</translation>
    </message>
    <message>
        <source>Line number:</source>
        <translation>Zeilennummer:</translation>
    </message>
</context>
<context>
    <name>CFindDlg</name>
    <message>
        <source>Fi&amp;nd what:</source>
        <translation>&amp;Suchen nach:</translation>
    </message>
    <message>
        <source>Re&amp;place with:</source>
        <translation>Ersetzen &amp;durch:</translation>
    </message>
    <message>
        <source>Match &amp;case</source>
        <translation>&amp;Groß-/Kleinschreibung beachten</translation>
    </message>
    <message>
        <source>Match &amp;whole word only</source>
        <translation>Nur ganze &amp;Wörter</translation>
    </message>
    <message>
        <source>W&amp;rap around</source>
        <translation>Am Ende von vorn &amp;beginnen</translation>
    </message>
    <message>
        <source>&amp;Find Next</source>
        <translation>&amp;Nächstes</translation>
    </message>
    <message>
        <source>Find Pre&amp;vious</source>
        <translation>&amp;Vorheriges</translation>
    </message>
    <message>
        <source>&amp;Replace</source>
        <translation>&amp;Ersetzen</translation>
    </message>
    <message>
        <source>Replace &amp;All</source>
        <translation>&amp;Alle ersetzen</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Replace</source>
        <translation>Ersetzen</translation>
    </message>
    <message>
        <source>Find</source>
        <translation>Suchen</translation>
    </message>
    <message>
        <source>Search wrapped around.</source>
        <translation>Die Suche hat von vorn begonnen.</translation>
    </message>
    <message>
        <source>Cannot find &quot;%1&quot;.</source>
        <translation>„%1“ wurde nicht gefunden.</translation>
    </message>
    <message>
        <source>%1 replaced.</source>
        <translation>%1 ersetzt.</translation>
    </message>
</context>
<context>
    <name>CInputDlg</name>
    <message>
        <source>Tessera - Input Required</source>
        <translation>Tessera - Eingabe erforderlich</translation>
    </message>
    <message>
        <source>Input Instructions</source>
        <translation>Anweisungen zur Eingabe</translation>
    </message>
</context>
<context>
    <name>CLogPage</name>
    <message>
        <source>Run Time</source>
        <translation>Laufzeit</translation>
    </message>
    <message>
        <source>Macro</source>
        <translation>Makro</translation>
    </message>
    <message>
        <source>Run Log</source>
        <translation>Laufprotokoll</translation>
    </message>
    <message>
        <source>Clear Log File</source>
        <translation>Protokolldatei leeren</translation>
    </message>
    <message>
        <source>Save Log File As</source>
        <translation>Protokolldatei speichern unter</translation>
    </message>
    <message>
        <source>Clear Display</source>
        <translation>Anzeige leeren</translation>
    </message>
    <message>
        <source>Log File: &quot;Wingmate.log&quot;</source>
        <translation>Protokolldatei: „Wingmate.log“</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
</context>
<context>
    <name>CMainDlg</name>
    <message>
        <source>Macros</source>
        <translation>Makros</translation>
    </message>
    <message>
        <source>Manager</source>
        <translation>Verwaltung</translation>
    </message>
    <message>
        <source>Scheduler</source>
        <translation>Zeitplaner</translation>
    </message>
    <message>
        <source>Output</source>
        <translation>Ausgabe</translation>
    </message>
    <message>
        <source>Log</source>
        <translation>Protokoll</translation>
    </message>
    <message>
        <source>Macro &quot;%1&quot; failed</source>
        <translation>Makro „%1“ fehlgeschlagen</translation>
    </message>
    <message>
        <source>&amp;Stop Executing Macro</source>
        <translation>Makroausführung &amp;stoppen</translation>
    </message>
    <message>
        <source>Another program holds the keys %1 of macro &quot;%2&quot;: it still runs, but the focused window gets them too.</source>
        <translation>Ein anderes Programm belegt die Tasten %1 des Makros „%2“: Es läuft weiterhin, aber das Fenster mit dem Fokus erhält sie ebenfalls.</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Hide</source>
        <translation>&amp;Verbergen</translation>
    </message>
    <message>
        <source>&amp;Macro Wizard</source>
        <translation>Makro-&amp;Assistent</translation>
    </message>
    <message>
        <source>&amp;Save Macros</source>
        <translation>Makros &amp;speichern</translation>
    </message>
    <message>
        <source>&amp;Restore Macros</source>
        <translation>Makros &amp;wiederherstellen</translation>
    </message>
    <message>
        <source>&amp;Exit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;Macro</source>
        <translation>&amp;Makro</translation>
    </message>
    <message>
        <source>&amp;New</source>
        <translation>&amp;Neu</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>&amp;Ausschneiden</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message>
        <source>Paste &amp;In</source>
        <translation>Einfügen &amp;in</translation>
    </message>
    <message>
        <source>Paste &amp;After</source>
        <translation>Einfügen &amp;dahinter</translation>
    </message>
    <message>
        <source>Paste &amp;Before</source>
        <translation>Einfügen da&amp;vor</translation>
    </message>
    <message>
        <source>E&amp;xecute</source>
        <translation>Aus&amp;führen</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>&amp;Stopp</translation>
    </message>
    <message>
        <source>&amp;Script</source>
        <translation>&amp;Skript</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>Ö&amp;ffnen</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>&amp;Record</source>
        <translation>&amp;Aufzeichnen</translation>
    </message>
    <message>
        <source>&amp;Declarations</source>
        <translation>&amp;Deklarationen</translation>
    </message>
    <message>
        <source>&amp;Log</source>
        <translation>&amp;Protokoll</translation>
    </message>
    <message>
        <source>&amp;Save Log File</source>
        <translation>Protokolldatei &amp;speichern</translation>
    </message>
    <message>
        <source>Clear Log &amp;Display</source>
        <translation>Protokoll&amp;anzeige leeren</translation>
    </message>
    <message>
        <source>Clear Log &amp;File</source>
        <translation>Protokoll&amp;datei leeren</translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation>E&amp;xtras</translation>
    </message>
    <message>
        <source>Disable &amp;Scheduler</source>
        <translation>&amp;Zeitplaner deaktivieren</translation>
    </message>
    <message>
        <source>Disable &amp;Triggers</source>
        <translation>&amp;Auslöser deaktivieren</translation>
    </message>
    <message>
        <source>&amp;Options</source>
        <translation>&amp;Optionen</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;Wingmate</source>
        <translation>&amp;Wingmate</translation>
    </message>
    <message>
        <source>&amp;Tessera</source>
        <translation>&amp;Tessera</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>Ü&amp;ber</translation>
    </message>
    <message>
        <source>Hide</source>
        <translation>Verbergen</translation>
    </message>
    <message>
        <source>Hide Wingmate</source>
        <translation>Wingmate verbergen</translation>
    </message>
    <message>
        <source>New</source>
        <translation>Neu</translation>
    </message>
    <message>
        <source>New Macro</source>
        <translation>Neues Makro</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Save Macros</source>
        <translation>Makros speichern</translation>
    </message>
    <message>
        <source>Wizard</source>
        <translation>Assistent</translation>
    </message>
    <message>
        <source>Macro Wizard</source>
        <translation>Makro-Assistent</translation>
    </message>
    <message>
        <source>New Script</source>
        <translation>Neues Skript</translation>
    </message>
    <message>
        <source>Open Script</source>
        <translation>Skript öffnen</translation>
    </message>
    <message>
        <source>Edit Script</source>
        <translation>Skript bearbeiten</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>Aufzeichnen</translation>
    </message>
    <message>
        <source>Record Script</source>
        <translation>Skript aufzeichnen</translation>
    </message>
    <message>
        <source>Run</source>
        <translation>Ausführen</translation>
    </message>
    <message>
        <source>Run Macro</source>
        <translation>Makro ausführen</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Stop Macro</source>
        <translation>Makro stoppen</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Wingmte Help</source>
        <translation>Wingmate-Hilfe</translation>
    </message>
    <message>
        <source>Toolbar</source>
        <translation>Werkzeugleiste</translation>
    </message>
    <message>
        <source>Unknown Error.  Could not execute %1</source>
        <translation>Unbekannter Fehler. %1 konnte nicht ausgeführt werden</translation>
    </message>
    <message>
        <source>Wingmate Error</source>
        <translation>Wingmate-Fehler</translation>
    </message>
    <message>
        <source>Could not write the recovery copy of a script: %1</source>
        <translation>Die Wiederherstellungskopie eines Skripts konnte nicht geschrieben werden: %1</translation>
    </message>
    <message>
        <source>The unsaved scripts were kept in %1</source>
        <translation>Die nicht gespeicherten Skripte wurden in %1 aufbewahrt</translation>
    </message>
    <message>
        <source>Recording is unavailable: this build has no recorder for the desktop.</source>
        <translation>Aufzeichnen ist nicht verfügbar: Diese Version hat keinen Rekorder für den Desktop.</translation>
    </message>
</context>
<context>
    <name>CManagerPage</name>
    <message>
        <source>Script File</source>
        <translation>Skriptdatei</translation>
    </message>
    <message>
        <source>Script Files (*.tsc);;All Files (*)</source>
        <translation>Skriptdateien (*.tsc);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Executable</source>
        <translation>Programm</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Macr&amp;o Set</source>
        <translation>Makro&amp;gruppe</translation>
    </message>
    <message>
        <source>Macro &amp;Name:</source>
        <translation>Makro&amp;name:</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>Durchsuchen...</translation>
    </message>
    <message>
        <source>F&amp;ile:</source>
        <translation>&amp;Datei:</translation>
    </message>
    <message>
        <source>Executa&amp;ble:</source>
        <translation>&amp;Programm:</translation>
    </message>
    <message>
        <source>&amp;Use Tessera</source>
        <translation>&amp;Tessera verwenden</translation>
    </message>
    <message>
        <source>Descri&amp;ption:</source>
        <translation>&amp;Beschreibung:</translation>
    </message>
    <message>
        <source>Trigger Combination</source>
        <translation>Tastenkombination zum Auslösen</translation>
    </message>
    <message>
        <source>Press the keys</source>
        <translation>Die Tasten drücken</translation>
    </message>
    <message>
        <source>Cle&amp;ar</source>
        <translation>&amp;Leeren</translation>
    </message>
    <message>
        <source>Prefi&amp;x:</source>
        <translation>Prä&amp;fix:</translation>
    </message>
    <message>
        <source>Held by another program</source>
        <translation>Von einem anderen Programm belegt</translation>
    </message>
    <message>
        <source>Another program holds these keys: the macro still runs, but the focused window gets the keys too.</source>
        <translation>Ein anderes Programm belegt diese Tasten: Das Makro läuft weiterhin, aber das Fenster mit dem Fokus erhält die Tasten ebenfalls.</translation>
    </message>
    <message>
        <source>Run Schedule</source>
        <translation>Zeitplan</translation>
    </message>
    <message>
        <source>Fre&amp;quency: Every</source>
        <translation>&amp;Häufigkeit: alle</translation>
    </message>
    <message>
        <source>Starting Date:</source>
        <translation>Startdatum:</translation>
    </message>
    <message>
        <source>At Tim&amp;e:</source>
        <translation>&amp;Uhrzeit:</translation>
    </message>
    <message>
        <source>Last Run</source>
        <translation>Letzter Lauf</translation>
    </message>
    <message>
        <source>Last Run:</source>
        <translation>Letzter Lauf:</translation>
    </message>
    <message>
        <source>A&amp;dd Macro</source>
        <translation>Makro hin&amp;zufügen</translation>
    </message>
    <message>
        <source>&amp;Clear Fields</source>
        <translation>Felder lee&amp;ren</translation>
    </message>
    <message>
        <source>&amp;Wizard</source>
        <translation>&amp;Assistent</translation>
    </message>
    <message>
        <source>Executable:</source>
        <translation>Programm:</translation>
    </message>
    <message>
        <source>Macro set</source>
        <translation>Makrogruppe</translation>
    </message>
    <message>
        <source>Macro</source>
        <translation>Makro</translation>
    </message>
    <message>
        <source>Typed in any window and followed by a space, Tab, Enter or punctuation, it is erased and the macro runs (up to %1 characters).</source>
        <translation>In einem beliebigen Fenster getippt und von Leerzeichen, Tab, Eingabe oder Satzzeichen gefolgt, wird es gelöscht und das Makro läuft (bis zu %1 Zeichen).</translation>
    </message>
    <message>
        <source>Expand immediatel&amp;y</source>
        <translation>S&amp;ofort ersetzen</translation>
    </message>
    <message>
        <source>Runs as soon as the abbreviation is typed, without waiting for the end of the word.</source>
        <translation>Läuft, sobald das Kürzel getippt ist, ohne auf das Wortende zu warten.</translation>
    </message>
    <message>
        <source>Match case</source>
        <translation>Groß-/Kleinschreibung übernehmen</translation>
    </message>
    <message>
        <source>The replacement follows the case of the typing: &quot;Sig&quot; gives &quot;Signature&quot;.</source>
        <translation>Der Ersatz folgt der Schreibweise der Eingabe: „Sig“ ergibt „Signature“.</translation>
    </message>
    <message>
        <source>Abbre&amp;viation:</source>
        <translation>&amp;Kürzel:</translation>
    </message>
    <message>
        <source>Typed instead of running the script when not empty. $|$ marks where the caret ends; {clipboard} is replaced by the clipboard&apos;s text and {date:%Y-%m-%d} by today&apos;s date in that format.</source>
        <translation>Wird statt des Skripts getippt, wenn nicht leer. $|$ markiert, wo die Einfügemarke endet; {clipboard} wird durch den Text der Zwischenablage ersetzt und {date:%Y-%m-%d} durch das heutige Datum in diesem Format.</translation>
    </message>
    <message>
        <source>Replace with text:</source>
        <translation>Ersetzen durch Text:</translation>
    </message>
    <message>
        <source>Every window</source>
        <translation>Jedes Fenster</translation>
    </message>
    <message>
        <source>The keys and the abbreviation work only in the windows this names: * matches any text, or a regular expression after re:. Empty: every window.</source>
        <translation>Die Tasten und das Kürzel wirken nur in den Fenstern, die dies nennt: * passt auf jeden Text, oder ein regulärer Ausdruck nach re:. Leer: jedes Fenster.</translation>
    </message>
    <message>
        <source>by class</source>
        <translation>nach Klasse</translation>
    </message>
    <message>
        <source>by title</source>
        <translation>nach Titel</translation>
    </message>
    <message>
        <source>Only these</source>
        <translation>Nur diese</translation>
    </message>
    <message>
        <source>All but these</source>
        <translation>Alle außer diesen</translation>
    </message>
    <message>
        <source>Pic&amp;k Window</source>
        <translation>Fenster &amp;wählen</translation>
    </message>
    <message>
        <source>Click a window to take its class or title.</source>
        <translation>Klicken Sie auf ein Fenster, um seine Klasse oder seinen Titel zu übernehmen.</translation>
    </message>
    <message>
        <source>Windows matchin&amp;g:</source>
        <translation>Passende F&amp;enster:</translation>
    </message>
    <message>
        <source>%1 It is not saved until it is mended.</source>
        <translation>%1 Es wird erst gespeichert, wenn es behoben ist.</translation>
    </message>
</context>
<context>
    <name>COptionsDlg</name>
    <message>
        <source>Wingmate Options</source>
        <translation>Wingmate-Optionen</translation>
    </message>
    <message>
        <source>Initialization</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Enable &amp;Triggers at Start-up</source>
        <translation>&amp;Auslöser beim Start aktivieren</translation>
    </message>
    <message>
        <source>Enable &amp;Scheduler at Start-up</source>
        <translation>&amp;Zeitplaner beim Start aktivieren</translation>
    </message>
    <message>
        <source>&amp;Hide Wingmate at Start-up</source>
        <translation>Wingmate beim Start &amp;verbergen</translation>
    </message>
    <message>
        <source>&amp;Run macros missed while the computer slept</source>
        <translation>Im Ruhezustand verpasste Makros &amp;nachholen</translation>
    </message>
    <message>
        <source>Start Wingmate when I &amp;log in</source>
        <translation>Wingmate beim Anmelden &amp;starten</translation>
    </message>
    <message>
        <source>Default &amp;Delay for Recording:</source>
        <translation>Standardverzögerung für Au&amp;fnahmen:</translation>
    </message>
    <message>
        <source>Automatically clear Log file &amp;after</source>
        <translation>Protokolldatei automatisch &amp;leeren nach</translation>
    </message>
    <message>
        <source>milliseconds</source>
        <translation>Millisekunden</translation>
    </message>
    <message>
        <source>lines</source>
        <translation>Zeilen</translation>
    </message>
    <message>
        <source>(Enter 0 to never automatically clear the Log file)</source>
        <translation>(0 eingeben, um die Protokolldatei nie automatisch zu leeren)</translation>
    </message>
</context>
<context>
    <name>COutputPage</name>
    <message>
        <source>Last Macro Run: </source>
        <translation>Zuletzt ausgeführtes Makro: </translation>
    </message>
    <message>
        <source>Last Macro Run</source>
        <translation>Zuletzt ausgeführtes Makro</translation>
    </message>
    <message>
        <source>Script Output</source>
        <translation>Skriptausgabe</translation>
    </message>
</context>
<context>
    <name>CQtScriptDialogs</name>
    <message>
        <source>Tessera - Choose</source>
        <translation>Tessera - Auswählen</translation>
    </message>
    <message>
        <source>Tessera - Choose a File</source>
        <translation>Tessera - Datei auswählen</translation>
    </message>
    <message>
        <source>Tessera - Choose a Folder</source>
        <translation>Tessera - Ordner auswählen</translation>
    </message>
</context>
<context>
    <name>CQuickMenuDlg</name>
    <message>
        <source>Macro Quick Menu</source>
        <translation>Makro-Schnellmenü</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>CRecordDlg</name>
    <message>
        <source>Record Script</source>
        <translation>Skript aufzeichnen</translation>
    </message>
    <message>
        <source>Recording Options</source>
        <translation>Aufnahmeoptionen</translation>
    </message>
    <message>
        <source>Hide while recoding</source>
        <translation>Während der Aufnahme verbergen</translation>
    </message>
    <message>
        <source>Insert &apos;Sleep&apos; when idle more than </source>
        <translation>&apos;Sleep&apos; einfügen bei Leerlauf über </translation>
    </message>
    <message>
        <source>Truncate Afx:</source>
        <translation>Afx: abschneiden</translation>
    </message>
    <message>
        <source> ms</source>
        <translation> ms</translation>
    </message>
    <message>
        <source>To stop recording, press</source>
        <translation>Zum Beenden der Aufnahme drücken:</translation>
    </message>
    <message>
        <source>seconds</source>
        <translation>Sekunden</translation>
    </message>
    <message>
        <source>Wait for each window up to</source>
        <translation>Auf jedes Fenster warten bis zu</translation>
    </message>
    <message>
        <source>&amp;Browse</source>
        <translation>&amp;Durchsuchen</translation>
    </message>
    <message>
        <source>Script File:</source>
        <translation>Skriptdatei:</translation>
    </message>
    <message>
        <source>&amp;Start</source>
        <translation>&amp;Start</translation>
    </message>
    <message>
        <source>Sto&amp;p</source>
        <translation>S&amp;topp</translation>
    </message>
    <message>
        <source>S&amp;ave</source>
        <translation>Spei&amp;chern</translation>
    </message>
    <message>
        <source>Save &amp;&amp; E&amp;xit</source>
        <translation>Speichern &amp;&amp; &amp;beenden</translation>
    </message>
    <message>
        <source>C&amp;lear</source>
        <translation>&amp;Leeren</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>Could Not Write To File</source>
        <translation>Die Datei konnte nicht geschrieben werden</translation>
    </message>
    <message>
        <source>Click &apos;Start&apos; to record a script.  Click &apos;Cancel&apos; to abort.</source>
        <translation>Auf &apos;Start&apos; klicken, um ein Skript aufzuzeichnen. Auf &apos;Abbrechen&apos; klicken, um abzubrechen.</translation>
    </message>
    <message>
        <source>Error: No Script Recorded</source>
        <translation>Fehler: Kein Skript aufgezeichnet</translation>
    </message>
</context>
<context>
    <name>CScheduleList</name>
    <message>
        <source>Time</source>
        <translation>Zeit</translation>
    </message>
    <message>
        <source>Run Time</source>
        <translation>Laufzeit</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
</context>
<context>
    <name>CSchedulerPage</name>
    <message>
        <source>Schedule Calendar</source>
        <translation>Zeitplankalender</translation>
    </message>
    <message>
        <source>Previous Month</source>
        <translation>Vorheriger Monat</translation>
    </message>
    <message>
        <source>Next Month</source>
        <translation>Nächster Monat</translation>
    </message>
    <message>
        <source>Macro Name: None Selected</source>
        <translation>Makroname: keines ausgewählt</translation>
    </message>
    <message>
        <source>Frequency: Every</source>
        <translation>Häufigkeit: alle</translation>
    </message>
    <message>
        <source>Starting On:</source>
        <translation>Beginnend am:</translation>
    </message>
    <message>
        <source>At Time:</source>
        <translation>Uhrzeit:</translation>
    </message>
    <message>
        <source>F&amp;ind</source>
        <translation>&amp;Suchen</translation>
    </message>
    <message>
        <source>M&amp;anage</source>
        <translation>&amp;Verwalten</translation>
    </message>
    <message>
        <source>Scheduled Tasks:</source>
        <translation>Geplante Aufgaben:</translation>
    </message>
    <message>
        <source>Scheduled Tasks</source>
        <translation>Geplante Aufgaben</translation>
    </message>
    <message>
        <source>Macro Name: %1</source>
        <translation>Makroname: %1</translation>
    </message>
    <message>
        <source>Could Not Update Macro</source>
        <translation>Das Makro konnte nicht aktualisiert werden</translation>
    </message>
    <message>
        <source>&amp;Update</source>
        <translation>&amp;Aktualisieren</translation>
    </message>
</context>
<context>
    <name>CWindowPropsDlg</name>
    <message>
        <source>Window Properties</source>
        <translation>Fenstereigenschaften</translation>
    </message>
    <message>
        <source>&amp;Name</source>
        <translation>&amp;Name</translation>
    </message>
    <message>
        <source>T&amp;ype</source>
        <translation>T&amp;yp</translation>
    </message>
    <message>
        <source>T&amp;ag</source>
        <translation>&amp;Kennung</translation>
    </message>
    <message>
        <source>&amp;Class</source>
        <translation>K&amp;lasse</translation>
    </message>
    <message>
        <source>Is Parent</source>
        <translation>Ist übergeordnet</translation>
    </message>
    <message>
        <source>Is Child</source>
        <translation>Ist untergeordnet</translation>
    </message>
</context>
<context>
    <name>CWizardAlertPage</name>
    <message>
        <source>Enter text for alert message box:</source>
        <translation>Text für das Meldungsfenster eingeben:</translation>
    </message>
</context>
<context>
    <name>CWizardAppPage</name>
    <message>
        <source>Browse...</source>
        <translation>Durchsuchen...</translation>
    </message>
    <message>
        <source>Enter application executable:</source>
        <translation>Programmdatei der Anwendung eingeben:</translation>
    </message>
    <message>
        <source>Enter parameters or file to be passed to application:</source>
        <translation>Parameter oder Datei für die Anwendung eingeben:</translation>
    </message>
</context>
<context>
    <name>CWizardCopyPage</name>
    <message>
        <source>Select &amp;Files to Copy</source>
        <translation>&amp;Dateien zum Kopieren wählen</translation>
    </message>
    <message>
        <source>Select F&amp;olders to Copy</source>
        <translation>&amp;Ordner zum Kopieren wählen</translation>
    </message>
    <message>
        <source>Select &amp;Destination Folder</source>
        <translation>&amp;Zielordner wählen</translation>
    </message>
    <message>
        <source>Files / Folders to Copy</source>
        <translation>Zu kopierende Dateien / Ordner</translation>
    </message>
    <message>
        <source>Destination Folder:</source>
        <translation>Zielordner:</translation>
    </message>
</context>
<context>
    <name>CWizardDlg</name>
    <message>
        <source>Record New Script</source>
        <translation>Neues Skript aufzeichnen</translation>
    </message>
    <message>
        <source>Open Application</source>
        <translation>Anwendung öffnen</translation>
    </message>
    <message>
        <source>Copy Files / Folder</source>
        <translation>Dateien / Ordner kopieren</translation>
    </message>
    <message>
        <source>Alert Message</source>
        <translation>Meldung</translation>
    </message>
    <message>
        <source>TypeKeys Sequence</source>
        <translation>TypeKeys-Folge</translation>
    </message>
    <message>
        <source>Macro Wizard</source>
        <translation>Makro-Assistent</translation>
    </message>
    <message>
        <source>Macro Name:</source>
        <translation>Makroname:</translation>
    </message>
    <message>
        <source>Select Type of Macro to Create:</source>
        <translation>Art des zu erstellenden Makros wählen:</translation>
    </message>
    <message>
        <source>Next &gt;</source>
        <translation>Weiter &gt;</translation>
    </message>
    <message>
        <source>Finish</source>
        <translation>Fertigstellen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Recording is unavailable: no recorder was given.</source>
        <translation>Aufzeichnen ist nicht verfügbar: Es wurde kein Rekorder angegeben.</translation>
    </message>
    <message>
        <source>Must select macro type</source>
        <translation>Eine Makroart muss gewählt sein</translation>
    </message>
    <message>
        <source>Macro requires a name</source>
        <translation>Das Makro braucht einen Namen</translation>
    </message>
</context>
<context>
    <name>CWizardDonePage</name>
    <message>
        <source>Macro Wizard Complete!!</source>
        <translation>Makro-Assistent abgeschlossen!</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>Durchsuchen...</translation>
    </message>
    <message>
        <source>Macro Name:</source>
        <translation>Makroname:</translation>
    </message>
    <message>
        <source>Macro File:</source>
        <translation>Makrodatei:</translation>
    </message>
    <message>
        <source>Click the &apos;Finish&apos; button to add the new macro to the macro list</source>
        <translation>Auf &apos;Fertigstellen&apos; klicken, um das neue Makro der Makroliste hinzuzufügen</translation>
    </message>
    <message>
        <source>To schedule the macro, use the Macro Manager or Scheduler</source>
        <translation>Zum Planen des Makros die Makroverwaltung oder den Zeitplaner verwenden</translation>
    </message>
    <message>
        <source>To set a Trigger for the macro, use the Macro Manager</source>
        <translation>Zum Festlegen eines Auslösers für das Makro die Makroverwaltung verwenden</translation>
    </message>
</context>
<context>
    <name>CWizardKeysPage</name>
    <message>
        <source>Enter text to type:</source>
        <translation>Einzutippenden Text eingeben:</translation>
    </message>
    <message>
        <source>Enter key combination:</source>
        <translation>Tastenkombination eingeben:</translation>
    </message>
    <message>
        <source>&amp;Clear</source>
        <translation>&amp;Leeren</translation>
    </message>
</context>
<context>
    <name>Glimmer</name>
    <message>
        <source>Glimmer - Choose the declarations file, then click the window to record</source>
        <translation>Glimmer - Deklarationsdatei wählen, dann auf das aufzuzeichnende Fenster klicken</translation>
    </message>
    <message>
        <source>Window Declarations (*.dec);;All Files (*)</source>
        <translation>Fensterdeklarationen (*.dec);;Alle Dateien (*)</translation>
    </message>
</context>
<context>
    <name>HelpPage</name>
    <message>
        <source>Could not open help file: %1</source>
        <translation>Die Hilfedatei konnte nicht geöffnet werden: %1</translation>
    </message>
    <message>
        <source>Failed to open Help</source>
        <translation>Hilfe nicht geöffnet</translation>
    </message>
</context>
<context>
    <name>ScheduleControls</name>
    <message>
        <source>Not Scheduled</source>
        <translation>Nicht geplant</translation>
    </message>
    <message>
        <source>Single Occurrence</source>
        <translation>Einmalig</translation>
    </message>
    <message>
        <source>Repeated</source>
        <translation>Wiederholt</translation>
    </message>
</context>
<context>
    <name>TDecTree</name>
    <message>
        <source>ERROR: Could Not Open %1</source>
        <translation>FEHLER: %1 konnte nicht geöffnet werden</translation>
    </message>
</context>
<context>
    <name>Wingmate</name>
    <message>
        <source>End Wingmate? Scheduled macros will not run until it is started again.</source>
        <translation>Wingmate beenden? Geplante Makros laufen erst wieder, wenn es neu gestartet wird.</translation>
    </message>
    <message>
        <source>End Wingmate?
The changes to the macros have not been saved.</source>
        <translation>Wingmate beenden?
Die Änderungen an den Makros wurden nicht gespeichert.</translation>
    </message>
    <message>
        <source>End Wingmate? Scheduled macros will not run until it is started again.
The changes to the macros have not been saved.</source>
        <translation>Wingmate beenden? Geplante Makros laufen erst wieder, wenn es neu gestartet wird.
Die Änderungen an den Makros wurden nicht gespeichert.</translation>
    </message>
    <message>
        <source>Wingmate already running.  Click OK to view.</source>
        <translation>Wingmate läuft bereits. Auf OK klicken, um es anzuzeigen.</translation>
    </message>
    <message>
        <source>Tessera Scripts (*.tsc);;All Files (*)</source>
        <translation>Tessera-Skripte (*.tsc);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>A macro is running: run the script again when it has ended.</source>
        <translation>Ein Makro läuft: Das Skript erneut ausführen, wenn es beendet ist.</translation>
    </message>
    <message>
        <source>untitled</source>
        <translation>unbenannt</translation>
    </message>
    <message>
        <source> (its window declarations)</source>
        <translation> (seine Fensterdeklarationen)</translation>
    </message>
    <message>
        <source>    and %1 more
</source>
        <translation>    und %1 weitere
</translation>
    </message>
    <message>
        <source>Wingmate found unsaved script text it could not read back (the copy is cut short or damaged). It was kept as:
%1Open it in a text editor to see what it still holds.</source>
        <translation>Wingmate hat nicht gespeicherten Skripttext gefunden, den es nicht zurücklesen konnte (die Kopie ist abgeschnitten oder beschädigt). Er wurde aufbewahrt als:
%1Öffnen Sie ihn in einem Texteditor, um zu sehen, was er noch enthält.</translation>
    </message>
    <message>
        <source>Recovery Copy Damaged</source>
        <translation>Wiederherstellungskopie beschädigt</translation>
    </message>
    <message>
        <source>Wingmate did not end cleanly last time, and 1 script had unsaved changes:
%1Open it in the editor?</source>
        <translation>Wingmate wurde beim letzten Mal nicht sauber beendet, und 1 Skript hatte nicht gespeicherte Änderungen:
%1Im Editor öffnen?</translation>
    </message>
    <message>
        <source>Wingmate did not end cleanly last time, and %1 scripts had unsaved changes:
%2Open them in the editor?</source>
        <translation>Wingmate wurde beim letzten Mal nicht sauber beendet, und %1 Skripte hatten nicht gespeicherte Änderungen:
%2Im Editor öffnen?</translation>
    </message>
    <message>
        <source>Restore Unsaved Changes?</source>
        <translation>Nicht gespeicherte Änderungen wiederherstellen?</translation>
    </message>
    <message>
        <source>Wingmate Error</source>
        <translation>Wingmate-Fehler</translation>
    </message>
    <message>
        <source>Could not load Macro File</source>
        <translation>Die Makrodatei konnte nicht geladen werden</translation>
    </message>
    <message>
        <source>Bad Load</source>
        <translation>Laden fehlgeschlagen</translation>
    </message>
    <message>
        <source>Could not add the examples: %1</source>
        <translation>Die Beispiele konnten nicht hinzugefügt werden: %1</translation>
    </message>
    <message>
        <source>The macro file %1 is damaged.
Restore the macros from the backup file (Macros.bak)?
The damaged file will be kept aside when the macros are next saved.</source>
        <translation>Die Makrodatei %1 ist beschädigt.
Die Makros aus der Sicherungsdatei (Macros.bak) wiederherstellen?
Die beschädigte Datei wird beim nächsten Speichern der Makros beiseitegelegt.</translation>
    </message>
    <message>
        <source>Restore Macros?</source>
        <translation>Makros wiederherstellen?</translation>
    </message>
    <message>
        <source>Could not restore Macro File...</source>
        <translation>Die Makrodatei konnte nicht wiederhergestellt werden...</translation>
    </message>
    <message>
        <source>Bad Restore</source>
        <translation>Wiederherstellen fehlgeschlagen</translation>
    </message>
    <message>
        <source>Wingmate did not end cleanly last time, and some changes to your macros were not saved.
Restore the unsaved changes from %1?</source>
        <translation>Wingmate wurde beim letzten Mal nicht sauber beendet, und einige Änderungen an Ihren Makros wurden nicht gespeichert.
Die nicht gespeicherten Änderungen aus %1 wiederherstellen?</translation>
    </message>
    <message>
        <source>The unsaved changes in %1 could not be read.</source>
        <translation>Die nicht gespeicherten Änderungen in %1 konnten nicht gelesen werden.</translation>
    </message>
    <message>
        <source>The macro file that could not be loaded was kept as
%1</source>
        <translation>Die Makrodatei, die nicht geladen werden konnte, wurde aufbewahrt als
%1</translation>
    </message>
    <message>
        <source>Could not save: %1</source>
        <translation>Speichern nicht möglich: %1</translation>
    </message>
    <message>
        <source>Save Failed</source>
        <translation>Speichern fehlgeschlagen</translation>
    </message>
    <message>
        <source>End Wingmate without saving the macros?</source>
        <translation>Wingmate beenden, ohne die Makros zu speichern?</translation>
    </message>
    <message>
        <source>Clear Macro Set and restore macros from backup file (Macros.bak)??
Unsaved changes will be lost.</source>
        <translation>Makros leeren und aus der Sicherungsdatei (Macros.bak) wiederherstellen?
Nicht gespeicherte Änderungen gehen verloren.</translation>
    </message>
    <message>
        <source>Maximum delay is %1 milliseconds.
Value set to %1</source>
        <translation>Die größte Verzögerung ist %1 Millisekunden.
Wert auf %1 gesetzt</translation>
    </message>
    <message>
        <source>Tessera Wingmate - Running Macro</source>
        <translation>Tessera Wingmate - Makro läuft</translation>
    </message>
    <message>
        <source>Tessera Wingmate - Recording
(%1 to stop)</source>
        <translation>Tessera Wingmate - Aufnahme
(%1 zum Beenden)</translation>
    </message>
    <message>
        <source>Tessera Wingmate - Disabled</source>
        <translation>Tessera Wingmate - Deaktiviert</translation>
    </message>
    <message>
        <source>Tessera Wingmate - Triggers Disabled</source>
        <translation>Tessera Wingmate - Auslöser deaktiviert</translation>
    </message>
    <message>
        <source>Tessera Wingmate - Scheduler Disabled</source>
        <translation>Tessera Wingmate - Zeitplaner deaktiviert</translation>
    </message>
    <message>
        <source>Could not create the Wingmate folder %1</source>
        <translation>Der Wingmate-Ordner %1 konnte nicht angelegt werden</translation>
    </message>
    <message>
        <source>Wingmate does not use the folder %1 because another user could change the macros and libraries in it: %2</source>
        <translation>Wingmate verwendet den Ordner %1 nicht, weil ein anderer Benutzer die Makros und Bibliotheken darin ändern könnte: %2</translation>
    </message>
    <message>
        <source>Could not enter the Wingmate folder %1: %2</source>
        <translation>Der Wingmate-Ordner %1 konnte nicht betreten werden: %2</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>E&amp;xecute</source>
        <translation>Aus&amp;führen</translation>
    </message>
    <message>
        <source>&amp;Cut</source>
        <translation>&amp;Ausschneiden</translation>
    </message>
    <message>
        <source>C&amp;opy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>&amp;Einfügen</translation>
    </message>
    <message>
        <source>Paste &amp;In</source>
        <translation>Einfügen &amp;in</translation>
    </message>
    <message>
        <source>Paste &amp;After</source>
        <translation>Einfügen &amp;dahinter</translation>
    </message>
    <message>
        <source>Paste &amp;Before</source>
        <translation>Einfügen da&amp;vor</translation>
    </message>
    <message>
        <source>Starting Date:</source>
        <translation>Startdatum:</translation>
    </message>
    <message>
        <source>Macro must have a Name</source>
        <translation>Das Makro muss einen Namen haben</translation>
    </message>
    <message>
        <source>On Date:</source>
        <translation>Am Datum:</translation>
    </message>
    <message>
        <source>Overwrite scheduling information?</source>
        <translation>Zeitplanangaben überschreiben?</translation>
    </message>
    <message>
        <source>Reading the script again loses the changes made here. Reopen it as %1?</source>
        <translation>Erneutes Lesen des Skripts verwirft die hier gemachten Änderungen. Als %1 neu öffnen?</translation>
    </message>
    <message>
        <source>Reopen with Encoding</source>
        <translation>Mit Kodierung neu öffnen</translation>
    </message>
    <message>
        <source>Could not read %1 as %2.

%3</source>
        <translation>%1 konnte nicht als %2 gelesen werden.

%3</translation>
    </message>
    <message>
        <source>[New File]</source>
        <translation>[Neue Datei]</translation>
    </message>
    <message>
        <source>Could not load file: %1</source>
        <translation>Die Datei konnte nicht geladen werden: %1</translation>
    </message>
    <message>
        <source>The script %1 does not exist yet. Create it?</source>
        <translation>Das Skript %1 existiert noch nicht. Anlegen?</translation>
    </message>
    <message>
        <source>Wingmate Editor</source>
        <translation>Wingmate-Editor</translation>
    </message>
    <message>
        <source>The script %1 was changed by another program since it was read here.
Save anyway and replace that version?</source>
        <translation>Das Skript %1 wurde von einem anderen Programm geändert, seit es hier gelesen wurde.
Trotzdem speichern und jene Fassung ersetzen?</translation>
    </message>
    <message>
        <source>Script Changed</source>
        <translation>Skript geändert</translation>
    </message>
    <message>
        <source>Tessera Scripts Files (*.tsc);;All Files (*)</source>
        <translation>Tessera-Skriptdateien (*.tsc);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>File &apos;%1&apos; already exists. Overwrite?</source>
        <translation>Die Datei &apos;%1&apos; existiert bereits. Überschreiben?</translation>
    </message>
    <message>
        <source>File Exists</source>
        <translation>Datei existiert</translation>
    </message>
    <message>
        <source>Could not save declarations: %1</source>
        <translation>Die Deklarationen konnten nicht gespeichert werden: %1</translation>
    </message>
    <message>
        <source>The declarations file %1 was changed by another program since it was read here.
Save anyway and replace that version?</source>
        <translation>Die Deklarationsdatei %1 wurde von einem anderen Programm geändert, seit sie hier gelesen wurde.
Trotzdem speichern und jene Fassung ersetzen?</translation>
    </message>
    <message>
        <source>Declarations Changed</source>
        <translation>Deklarationen geändert</translation>
    </message>
    <message>
        <source>Save script and declarations?

%1</source>
        <translation>Skript und Deklarationen speichern?

%1</translation>
    </message>
    <message>
        <source>Script / Declarations not saved</source>
        <translation>Skript / Deklarationen nicht gespeichert</translation>
    </message>
    <message>
        <source>Could not open file</source>
        <translation>Die Datei konnte nicht geöffnet werden</translation>
    </message>
    <message>
        <source>The script %1 no longer exists on disk. Save it to keep this text.</source>
        <translation>Das Skript %1 existiert nicht mehr auf der Festplatte. Speichern Sie es, um diesen Text zu behalten.</translation>
    </message>
    <message>
        <source>The script %1 was changed by another program.
Reload it and lose the changes made here?</source>
        <translation>Das Skript %1 wurde von einem anderen Programm geändert.
Neu laden und die hier gemachten Änderungen verwerfen?</translation>
    </message>
    <message>
        <source>The script %1 was changed by another program.
Reload it?</source>
        <translation>Das Skript %1 wurde von einem anderen Programm geändert.
Neu laden?</translation>
    </message>
    <message>
        <source> - Tessera Wingmate Editor</source>
        <translation> - Tessera Wingmate Editor</translation>
    </message>
    <message>
        <source>The window declarations in %1 hold changes that are not saved.
Keep them? No discards them and reads the files again.</source>
        <translation>Die Fensterdeklarationen in %1 enthalten nicht gespeicherte Änderungen.
Behalten? Nein verwirft sie und liest die Dateien neu.</translation>
    </message>
    <message>
        <source>Declarations not saved</source>
        <translation>Deklarationen nicht gespeichert</translation>
    </message>
    <message>
        <source>Could not print: %1</source>
        <translation>Drucken nicht möglich: %1</translation>
    </message>
    <message>
        <source>File &apos;%1&apos; alread exists. Overwrite?</source>
        <translation>Die Datei &apos;%1&apos; existiert bereits. Überschreiben?</translation>
    </message>
    <message>
        <source>Could not create file &apos;%1&apos;.</source>
        <translation>Die Datei &apos;%1&apos; konnte nicht angelegt werden.</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Select Folder</source>
        <translation>Ordner wählen</translation>
    </message>
    <message>
        <source>Must enter an application name</source>
        <translation>Ein Anwendungsname muss eingegeben werden</translation>
    </message>
    <message>
        <source>Must enter TypeKeyse text in selected box</source>
        <translation>Im gewählten Feld muss TypeKeys-Text eingegeben werden</translation>
    </message>
    <message>
        <source>Must enter an a destination location</source>
        <translation>Ein Zielort muss eingegeben werden</translation>
    </message>
    <message>
        <source>Tessera Scripts (*.tsc)</source>
        <translation>Tessera-Skripte (*.tsc)</translation>
    </message>
    <message>
        <source>No key types &quot;%1&quot; on the keyboard layout in use. Choose another key to stop the recording.</source>
        <translation>Keine Taste der verwendeten Tastaturbelegung tippt „%1“. Wählen Sie eine andere Taste zum Beenden der Aufnahme.</translation>
    </message>
    <message>
        <source>Recording is unavailable: there is no script view to record into.</source>
        <translation>Aufzeichnen ist nicht verfügbar: Es gibt keine Skriptansicht, in die aufgezeichnet werden kann.</translation>
    </message>
    <message>
        <source>Second(s)</source>
        <translation>Sekunde(n)</translation>
    </message>
    <message>
        <source>Minute(s)</source>
        <translation>Minute(n)</translation>
    </message>
    <message>
        <source>Hour(s)</source>
        <translation>Stunde(n)</translation>
    </message>
    <message>
        <source>Day(s)</source>
        <translation>Tag(e)</translation>
    </message>
    <message>
        <source>Week(s)</source>
        <translation>Woche(n)</translation>
    </message>
    <message>
        <source>Month</source>
        <translation>Monat</translation>
    </message>
    <message>
        <source>Year</source>
        <translation>Jahr</translation>
    </message>
    <message>
        <source>Frequency must be in range (0 &gt; x &gt;= %1) for this type</source>
        <translation>Die Häufigkeit muss für diese Art im Bereich (0 &gt; x &gt;= %1) liegen</translation>
    </message>
    <message>
        <source>no window recorded: %1</source>
        <translation>kein Fenster aufgezeichnet: %1</translation>
    </message>
    <message>
        <source>no window recorded: that was the desktop, not a window</source>
        <translation>kein Fenster aufgezeichnet: Das war der Desktop, kein Fenster</translation>
    </message>
    <message>
        <source>no window recorded in %1: %2</source>
        <translation>kein Fenster in %1 aufgezeichnet: %2</translation>
    </message>
    <message>
        <source>added Window &quot;%1&quot; (title &quot;%2&quot;, class &quot;%3&quot;) to %4</source>
        <translation>Fenster „%1“ (Titel „%2“, Klasse „%3“) zu %4 hinzugefügt</translation>
    </message>
    <message>
        <source>Could Not Find File: %1
Place this file in the application&apos;s residence directory</source>
        <translation>Datei nicht gefunden: %1
Legen Sie diese Datei in den Ordner des Programms</translation>
    </message>
    <message>
        <source>Unknown Error.  Could not execute %1</source>
        <translation>Unbekannter Fehler. %1 konnte nicht ausgeführt werden</translation>
    </message>
    <message>
        <source>Could not start the script: %1</source>
        <translation>Das Skript konnte nicht gestartet werden: %1</translation>
    </message>
    <message>
        <source>Could not Execute</source>
        <translation>Ausführen nicht möglich</translation>
    </message>
    <message>
        <source>Could not Execute %1: %2</source>
        <translation>%1 konnte nicht ausgeführt werden: %2</translation>
    </message>
    <message>
        <source>The script failed</source>
        <translation>Das Skript ist fehlgeschlagen</translation>
    </message>
    <message>
        <source>Run log lines are being lost: could not write %1: %2</source>
        <translation>Zeilen des Laufprotokolls gehen verloren: %1 konnte nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Could not save Log File</source>
        <translation>Die Protokolldatei konnte nicht gespeichert werden</translation>
    </message>
    <message>
        <source>Every %1 %2</source>
        <translation>Alle %1 %2</translation>
    </message>
    <message>
        <source>%1 at %2</source>
        <translation>%1 um %2</translation>
    </message>
    <message>
        <source>Repeated</source>
        <translation>Wiederholt</translation>
    </message>
    <message>
        <source>Trigger keys are unavailable: no key hook.</source>
        <translation>Auslösetasten sind nicht verfügbar: kein Tastatur-Hook.</translation>
    </message>
    <message>
        <source>Could not write the recovery file: %1</source>
        <translation>Die Wiederherstellungsdatei konnte nicht geschrieben werden: %1</translation>
    </message>
    <message>
        <source>The unsaved changes were kept as %1</source>
        <translation>Die nicht gespeicherten Änderungen wurden als %1 aufbewahrt</translation>
    </message>
    <message>
        <source>Abbreviation: %1</source>
        <translation>Kürzel: %1</translation>
    </message>
    <message>
        <source>, expands immediately</source>
        <translation>, ersetzt sofort</translation>
    </message>
    <message>
        <source>, matches case</source>
        <translation>, übernimmt Groß-/Kleinschreibung</translation>
    </message>
    <message>
        <source>In all windows but titles matching %1</source>
        <translation>In allen Fenstern außer mit Titel passend zu %1</translation>
    </message>
    <message>
        <source>In all windows but classes matching %1</source>
        <translation>In allen Fenstern außer mit Klasse passend zu %1</translation>
    </message>
    <message>
        <source>Only in windows titled %1</source>
        <translation>Nur in Fenstern mit dem Titel %1</translation>
    </message>
    <message>
        <source>Only in windows of class %1</source>
        <translation>Nur in Fenstern der Klasse %1</translation>
    </message>
    <message>
        <source>Windows cannot be picked on this desktop.</source>
        <translation>Auf diesem Desktop können keine Fenster gewählt werden.</translation>
    </message>
    <message>
        <source>No window was picked: %1</source>
        <translation>Es wurde kein Fenster gewählt: %1</translation>
    </message>
    <message>
        <source>The window picked has no title.</source>
        <translation>Das gewählte Fenster hat keinen Titel.</translation>
    </message>
    <message>
        <source>The window picked has no class.</source>
        <translation>Das gewählte Fenster hat keine Klasse.</translation>
    </message>
    <message>
        <source>The abbreviation of &quot;%1&quot; cannot expand: nothing can type here.</source>
        <translation>Die Abkürzung von „%1“ kann nicht erweitert werden: hier kann nichts tippen.</translation>
    </message>
    <message>
        <source>The abbreviation of &quot;%1&quot; could not expand: %2</source>
        <translation>Die Abkürzung von „%1“ konnte nicht erweitert werden: %2</translation>
    </message>
    <message>
        <source>The damaged file of abbreviations and window filters was kept as
%1</source>
        <translation>Die beschädigte Datei der Abkürzungen und Fensterfilter wurde aufbewahrt als
%1</translation>
    </message>
    <message>
        <source>The abbreviations and window filters in %1 could not be read: %2
The file is left as it is.</source>
        <translation>Die Abkürzungen und Fensterfilter in %1 konnten nicht gelesen werden: %2
Die Datei bleibt, wie sie ist.</translation>
    </message>
    <message>
        <source>The file of abbreviations and window filters %1 is damaged (%2).
What could be read was loaded; the file will be kept aside when the macros are next saved.</source>
        <translation>Die Datei der Abkürzungen und Fensterfilter %1 ist beschädigt (%2).
Was gelesen werden konnte, wurde geladen; die Datei wird beim nächsten Speichern der Makros beiseitegelegt.</translation>
    </message>
</context>
</TS>
