<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
<context>
    <name>Vexal</name>
    <message>
        <source>Date/Time error</source>
        <translation>Fehler Datum/Uhrzeit</translation>
    </message>
    <message>
        <source>1 block</source>
        <translation>1 Baustein</translation>
    </message>
    <message>
        <source>%1 blocks</source>
        <translation>%1 Bausteine</translation>
    </message>
    <message>
        <source>%1 block %2 of %3
%4</source>
        <translation>%1: Baustein %2 von %3
%4</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Zeit</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Beschreibung</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Used</source>
        <translation>Belegt</translation>
    </message>
    <message>
        <source>Free</source>
        <translation>Frei</translation>
    </message>
    <message>
        <source>Total</source>
        <translation>Gesamt</translation>
    </message>
    <message>
        <source>Compress</source>
        <translation>Komprimieren</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>Neustart</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Übernehmen</translation>
    </message>
    <message>
        <source>PC Time</source>
        <translation>PC-Zeit</translation>
    </message>
    <message>
        <source>List</source>
        <translation>Liste</translation>
    </message>
    <message>
        <source>Offline</source>
        <translation>Offline</translation>
    </message>
    <message>
        <source>Online</source>
        <translation>Online</translation>
    </message>
    <message>
        <source>Diag</source>
        <translation>Diag</translation>
    </message>
    <message>
        <source>Diagnostics</source>
        <translation>Diagnose</translation>
    </message>
    <message>
        <source>Op Mode</source>
        <translation>Betrieb</translation>
    </message>
    <message>
        <source>Operation Mode</source>
        <translation>Betriebszustand</translation>
    </message>
    <message>
        <source>Memory</source>
        <translation>Speicher</translation>
    </message>
    <message>
        <source>Variables</source>
        <translation>Variablen</translation>
    </message>
</context>
<context>
    <name>vexal::CDiagnosticsPage</name>
    <message>
        <source>Event %1</source>
        <translation>Ereignis %1</translation>
    </message>
    <message>
        <source>Diagnostic buffer</source>
        <translation>Diagnosepuffer</translation>
    </message>
    <message>
        <source>Text files (*.csv);;All files (*)</source>
        <translation>Textdateien (*.csv);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>error writing diagnostic buffer</source>
        <translation>Fehler beim Schreiben des Diagnosepuffers</translation>
    </message>
</context>
<context>
    <name>vexal::CEditVariableDlg</name>
    <message>
        <source>Edit Variable</source>
        <translation>Variable bearbeiten</translation>
    </message>
    <message>
        <source>Check</source>
        <translation>Prüfen</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Adresse</translation>
    </message>
    <message>
        <source>Format</source>
        <translation>Format</translation>
    </message>
    <message>
        <source>Modify</source>
        <translation>Steuern</translation>
    </message>
    <message>
        <source>Wrong Value</source>
        <translation>Falscher Wert</translation>
    </message>
    <message>
        <source>Wrong Variable</source>
        <translation>Falsche Variable</translation>
    </message>
</context>
<context>
    <name>vexal::CMemoryPage</name>
    <message>
        <source>Memory</source>
        <translation>Speicher</translation>
    </message>
    <message>
        <source>Load Memory</source>
        <translation>Ladespeicher</translation>
    </message>
    <message>
        <source>Work Memory</source>
        <translation>Arbeitsspeicher</translation>
    </message>
    <message>
        <source>Work Memory/Code</source>
        <translation>Arbeitsspeicher/Code</translation>
    </message>
    <message>
        <source>Work Memory/Data</source>
        <translation>Arbeitsspeicher/Daten</translation>
    </message>
</context>
<context>
    <name>vexal::CModeIconCtrl</name>
    <message>
        <source>Unknown</source>
        <translation>Unbekannt</translation>
    </message>
</context>
<context>
    <name>vexal::CNetsDlg</name>
    <message>
        <source>Nets</source>
        <translation>Netze</translation>
    </message>
    <message>
        <source>Ethernet adapter</source>
        <translation>Ethernet-Adapter</translation>
    </message>
    <message>
        <source>Ethernet discovery may not send raw frames: give the program CAP_NET_RAW or run it as root.</source>
        <translation>Die Ethernet-Suche darf keine Rohdaten-Frames senden: dem Programm CAP_NET_RAW geben oder es als root starten.</translation>
    </message>
</context>
<context>
    <name>vexal::COfflinePage</name>
    <message>
        <source>Project blocks</source>
        <translation>Projektbausteine</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Alle wählen</translation>
    </message>
    <message>
        <source>All</source>
        <translation>Alle</translation>
    </message>
    <message>
        <source>Clear All</source>
        <translation>Keine wählen</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Keine</translation>
    </message>
    <message>
        <source>Invert</source>
        <translation>Umkehren</translation>
    </message>
    <message>
        <source>Load</source>
        <translation>Laden</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Del</source>
        <translation>Lösch.</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>Laden in CPU</translation>
    </message>
    <message>
        <source>Downloading</source>
        <translation>Laden in CPU</translation>
    </message>
    <message>
        <source>WinLC files (*.wld);;All files (*)</source>
        <translation>WinLC-Dateien (*.wld);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Proceed deleting blocks?</source>
        <translation>Bausteine wirklich löschen?</translation>
    </message>
    <message>
        <source>error reading project file</source>
        <translation>Fehler beim Lesen der Projektdatei</translation>
    </message>
    <message>
        <source>error writing project file</source>
        <translation>Fehler beim Schreiben der Projektdatei</translation>
    </message>
    <message>
        <source>error deleting blocks</source>
        <translation>Fehler beim Löschen der Bausteine</translation>
    </message>
</context>
<context>
    <name>vexal::COnlinePage</name>
    <message>
        <source>Controller blocks</source>
        <translation>Bausteine der Steuerung</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Alle wählen</translation>
    </message>
    <message>
        <source>All</source>
        <translation>Alle</translation>
    </message>
    <message>
        <source>Clear All</source>
        <translation>Keine wählen</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Keine</translation>
    </message>
    <message>
        <source>Invert</source>
        <translation>Umkehren</translation>
    </message>
    <message>
        <source>Upload</source>
        <translation>Laden in PG</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Del</source>
        <translation>Lösch.</translation>
    </message>
    <message>
        <source>Uploading</source>
        <translation>Laden in PG</translation>
    </message>
    <message>
        <source>Deleting</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Proceed deleting blocks?</source>
        <translation>Bausteine wirklich löschen?</translation>
    </message>
    <message>
        <source>Protected</source>
        <translation>Geschützt</translation>
    </message>
    <message>
        <source>Can&apos;t delete </source>
        <translation>Löschen nicht möglich: </translation>
    </message>
</context>
<context>
    <name>vexal::COpModePage</name>
    <message>
        <source>Operation mode</source>
        <translation>Betriebszustand</translation>
    </message>
    <message>
        <source>Keyswitch setting</source>
        <translation>Stellung des Schlüsselschalters</translation>
    </message>
    <message>
        <source>Sure to stop the CPU?</source>
        <translation>CPU wirklich stoppen?</translation>
    </message>
    <message>
        <source>on</source>
        <translation>an</translation>
    </message>
    <message>
        <source>off</source>
        <translation>aus</translation>
    </message>
    <message>
        <source>&lt;Unknown&gt;</source>
        <translation>&lt;Unbekannt&gt;</translation>
    </message>
    <message>
        <source>Current Operation Mode </source>
        <translation>Aktueller Betriebszustand </translation>
    </message>
    <message>
        <source>Current Keyswitch Setting </source>
        <translation>Aktuelle Schlüsselschalterstellung </translation>
    </message>
    <message>
        <source>Current Switch Setting </source>
        <translation>Schalterstellung </translation>
    </message>
    <message>
        <source>Module LEDs </source>
        <translation>Baugruppen-LEDs </translation>
    </message>
</context>
<context>
    <name>vexal::CPasswordDlg</name>
    <message>
        <source>Options</source>
        <translation>Optionen</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Passwort</translation>
    </message>
</context>
<context>
    <name>vexal::CStationIpDlg</name>
    <message>
        <source>Station IP</source>
        <translation>Stations-IP</translation>
    </message>
    <message>
        <source>First octet</source>
        <translation>Erstes Oktett</translation>
    </message>
    <message>
        <source>Second octet</source>
        <translation>Zweites Oktett</translation>
    </message>
    <message>
        <source>Third octet</source>
        <translation>Drittes Oktett</translation>
    </message>
    <message>
        <source>Fourth octet</source>
        <translation>Viertes Oktett</translation>
    </message>
</context>
<context>
    <name>vexal::CStationListPage</name>
    <message>
        <source>Stations</source>
        <translation>Stationen</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Optionen</translation>
    </message>
    <message>
        <source>Opt</source>
        <translation>Opt.</translation>
    </message>
    <message>
        <source>Nets</source>
        <translation>Netze</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>Verbinden</translation>
    </message>
    <message>
        <source>Connect...</source>
        <translation>Verbinden...</translation>
    </message>
    <message>
        <source>Disconnect</source>
        <translation>Trennen</translation>
    </message>
</context>
<context>
    <name>vexal::CTimePage</name>
    <message>
        <source>CPU date</source>
        <translation>CPU-Datum</translation>
    </message>
    <message>
        <source>CPU time</source>
        <translation>CPU-Uhrzeit</translation>
    </message>
    <message>
        <source> CPU Time</source>
        <translation> CPU-Uhrzeit</translation>
    </message>
</context>
<context>
    <name>vexal::CVariableTrend</name>
    <message>
        <source>Trend</source>
        <translation>Verlauf</translation>
    </message>
    <message>
        <source>no values</source>
        <translation>keine Werte</translation>
    </message>
    <message>
        <source>%1 values from %2 to %3, last %4</source>
        <translation>%1 Werte von %2 bis %3, zuletzt %4</translation>
    </message>
</context>
<context>
    <name>vexal::CVariablesPage</name>
    <message>
        <source>Variables</source>
        <translation>Variablen</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Neu</translation>
    </message>
    <message>
        <source>Set</source>
        <translation>Setzen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Del</source>
        <translation>Lösch.</translation>
    </message>
    <message>
        <source>Load List</source>
        <translation>Liste laden</translation>
    </message>
    <message>
        <source>Load</source>
        <translation>Laden</translation>
    </message>
    <message>
        <source>Save List</source>
        <translation>Liste speichern</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Max %1</source>
        <translation>Max %1</translation>
    </message>
    <message>
        <source>Min %1</source>
        <translation>Min %1</translation>
    </message>
    <message>
        <source>error writing variable table</source>
        <translation>Fehler beim Schreiben der Variablentabelle</translation>
    </message>
    <message>
        <source>no file found</source>
        <translation>keine Datei gefunden</translation>
    </message>
    <message>
        <source>error in: </source>
        <translation>Fehler in: </translation>
    </message>
    <message>
        <source>Text files (*.csv);;All files (*)</source>
        <translation>Textdateien (*.csv);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Variable</source>
        <translation>Variable</translation>
    </message>
    <message>
        <source>Format</source>
        <translation>Format</translation>
    </message>
    <message>
        <source>Status Val</source>
        <translation>Statuswert</translation>
    </message>
    <message>
        <source>Modify Val</source>
        <translation>Steuerwert</translation>
    </message>
    <message>
        <source>changed</source>
        <translation>geändert</translation>
    </message>
</context>
</TS>
