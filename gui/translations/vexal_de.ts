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
    <message>
        <source>The project and the variable table hold changes that were not saved.</source>
        <translation>Projekt und Variablentabelle enthalten nicht gespeicherte Änderungen.</translation>
    </message>
    <message>
        <source>The project holds blocks that were not saved.</source>
        <translation>Das Projekt enthält nicht gespeicherte Bausteine.</translation>
    </message>
    <message>
        <source>The variable table holds changes that were not saved.</source>
        <translation>Die Variablentabelle enthält nicht gespeicherte Änderungen.</translation>
    </message>
    <message>
        <source>same as project</source>
        <translation>wie im Projekt</translation>
    </message>
    <message>
        <source>differs from project</source>
        <translation>weicht vom Projekt ab</translation>
    </message>
    <message>
        <source>only in controller</source>
        <translation>nur in der Steuerung</translation>
    </message>
    <message>
        <source>not in controller</source>
        <translation>nicht in der Steuerung</translation>
    </message>
    <message>
        <source>undecided</source>
        <translation>unentschieden</translation>
    </message>
    <message>
        <source>Module</source>
        <translation>Baugruppe</translation>
    </message>
    <message>
        <source>Module name</source>
        <translation>Baugruppenname</translation>
    </message>
    <message>
        <source>Order number</source>
        <translation>Bestellnummer</translation>
    </message>
    <message>
        <source>Firmware</source>
        <translation>Firmware</translation>
    </message>
    <message>
        <source>Hardware</source>
        <translation>Hardware</translation>
    </message>
    <message>
        <source>Serial number</source>
        <translation>Seriennummer</translation>
    </message>
    <message>
        <source>Station</source>
        <translation>Station</translation>
    </message>
    <message>
        <source>Plant designation</source>
        <translation>Anlagenkennzeichen</translation>
    </message>
    <message>
        <source>Location</source>
        <translation>Ortskennzeichen</translation>
    </message>
    <message>
        <source>Protection level</source>
        <translation>Schutzstufe</translation>
    </message>
    <message>
        <source>Mode selector</source>
        <translation>Betriebsartenschalter</translation>
    </message>
    <message>
        <source>Last cycle</source>
        <translation>Letzter Zyklus</translation>
    </message>
    <message>
        <source>Shortest cycle</source>
        <translation>Kürzester Zyklus</translation>
    </message>
    <message>
        <source>Longest cycle</source>
        <translation>Längster Zyklus</translation>
    </message>
    <message>
        <source>%1 ms</source>
        <translation>%1 ms</translation>
    </message>
    <message>
        <source>The backup of the controller&apos;s blocks failed. Go on without it?</source>
        <translation>Die Sicherung der Bausteine der Steuerung ist fehlgeschlagen. Ohne sie fortfahren?</translation>
    </message>
    <message>
        <source>The controller&apos;s blocks as they were are saved in %1</source>
        <translation>Die bisherigen Bausteine der Steuerung sind gesichert in %1</translation>
    </message>
    <message>
        <source>CPU</source>
        <translation>CPU</translation>
    </message>
</context>
<context>
    <name>cpulink</name>
    <message>
        <source>Unknown status 0x%1 of the communication library.</source>
        <translation>Unbekannter Status 0x%1 der Kommunikationsbibliothek.</translation>
    </message>
    <message>
        <source>Unknown status 0x%1 of the communication library; the connection counts as lost.</source>
        <translation>Unbekannter Status 0x%1 der Kommunikationsbibliothek; die Verbindung gilt als unterbrochen.</translation>
    </message>
    <message>
        <source>Module diagnostics: %1 (coming)</source>
        <translation>Baugruppendiagnose: %1 (kommend)</translation>
    </message>
    <message>
        <source>Module diagnostics: %1 (going)</source>
        <translation>Baugruppendiagnose: %1 (gehend)</translation>
    </message>
    <message>
        <source>The operation completed successfully.</source>
        <translation>Der Vorgang wurde erfolgreich beendet.</translation>
    </message>
    <message>
        <source>The object does not exist in the controller (block, system status list or data block).</source>
        <translation>Das Objekt ist in der Steuerung nicht vorhanden (Baustein, Systemzustandsliste oder Datenbaustein).</translation>
    </message>
    <message>
        <source>More entries remain in the controller&apos;s list.</source>
        <translation>In der Liste der Steuerung stehen weitere Einträge.</translation>
    </message>
    <message>
        <source>Access denied by the controller&apos;s protection level.</source>
        <translation>Zugriff durch die Schutzstufe der Steuerung verweigert.</translation>
    </message>
    <message>
        <source>Not possible in the controller&apos;s current operating mode.</source>
        <translation>Im aktuellen Betriebszustand der Steuerung nicht möglich.</translation>
    </message>
    <message>
        <source>The address is out of the controller&apos;s range.</source>
        <translation>Die Adresse liegt außerhalb des Bereichs der Steuerung.</translation>
    </message>
    <message>
        <source>The controller does not support this data type or transport size.</source>
        <translation>Die Steuerung unterstützt diesen Datentyp oder diese Transportgröße nicht.</translation>
    </message>
    <message>
        <source>The block is protected.</source>
        <translation>Der Baustein ist geschützt.</translation>
    </message>
    <message>
        <source>The controller&apos;s answer does not fit the buffer provided for it.</source>
        <translation>Die Antwort der Steuerung passt nicht in den vorgesehenen Puffer.</translation>
    </message>
    <message>
        <source>Invalid argument: nothing was sent to the controller.</source>
        <translation>Ungültiges Argument: Es wurde nichts an die Steuerung gesendet.</translation>
    </message>
    <message>
        <source>The controller refused the request.</source>
        <translation>Die Steuerung hat den Auftrag abgelehnt.</translation>
    </message>
    <message>
        <source>The controller&apos;s system status list answer could not be used.</source>
        <translation>Die Antwort der Steuerung zur Systemzustandsliste war nicht verwendbar.</translation>
    </message>
    <message>
        <source>The controller is busy with another operation of this program: access was not obtained.</source>
        <translation>Die Steuerung ist mit einem anderen Vorgang dieses Programms beschäftigt: kein Zugriff erhalten.</translation>
    </message>
    <message>
        <source>Cannot connect to the controller: refused, unreachable or no answer in time.</source>
        <translation>Keine Verbindung zur Steuerung: abgelehnt, nicht erreichbar oder keine Antwort in der Zeit.</translation>
    </message>
    <message>
        <source>The connection to the controller was lost.</source>
        <translation>Die Verbindung zur Steuerung ist unterbrochen.</translation>
    </message>
    <message>
        <source>The controller did not answer in time; the connection was closed.</source>
        <translation>Die Steuerung hat nicht rechtzeitig geantwortet; die Verbindung wurde getrennt.</translation>
    </message>
    <message>
        <source>Protocol error: the controller&apos;s answer could not be understood; the connection was closed.</source>
        <translation>Protokollfehler: Die Antwort der Steuerung war unverständlich; die Verbindung wurde getrennt.</translation>
    </message>
    <message>
        <source>There is no open connection to the controller.</source>
        <translation>Es besteht keine Verbindung zur Steuerung.</translation>
    </message>
    <message>
        <source>The MPI adapter is not available or not online.</source>
        <translation>Der MPI-Adapter ist nicht vorhanden oder nicht online.</translation>
    </message>
    <message>
        <source>The controller refused the password; the connection was closed.</source>
        <translation>Die Steuerung hat das Passwort abgelehnt; die Verbindung wurde getrennt.</translation>
    </message>
    <message>
        <source>Warm restart requested manually (mode selector or programming device)</source>
        <translation>Neustart manuell angefordert (Betriebsartenschalter oder PG)</translation>
    </message>
    <message>
        <source>Warm restart requested automatically (after power-on)</source>
        <translation>Neustart automatisch angefordert (nach Netz-Ein)</translation>
    </message>
    <message>
        <source>Hot restart requested manually</source>
        <translation>Wiederanlauf manuell angefordert</translation>
    </message>
    <message>
        <source>Hot restart requested automatically</source>
        <translation>Wiederanlauf automatisch angefordert</translation>
    </message>
    <message>
        <source>Cold restart requested manually</source>
        <translation>Kaltstart manuell angefordert</translation>
    </message>
    <message>
        <source>Cold restart requested automatically</source>
        <translation>Kaltstart automatisch angefordert</translation>
    </message>
    <message>
        <source>BCD conversion error in the program</source>
        <translation>BCD-Wandlungsfehler im Programm</translation>
    </message>
    <message>
        <source>Area length error while reading</source>
        <translation>Bereichslängenfehler beim Lesen</translation>
    </message>
    <message>
        <source>Area length error while writing</source>
        <translation>Bereichslängenfehler beim Schreiben</translation>
    </message>
    <message>
        <source>Read from an area that does not exist</source>
        <translation>Lesen aus einem nicht vorhandenen Bereich</translation>
    </message>
    <message>
        <source>Write to an area that does not exist</source>
        <translation>Schreiben in einen nicht vorhandenen Bereich</translation>
    </message>
    <message>
        <source>Timer number not available</source>
        <translation>Zeitnummer nicht vorhanden</translation>
    </message>
    <message>
        <source>Counter number not available</source>
        <translation>Zählernummer nicht vorhanden</translation>
    </message>
    <message>
        <source>Misaligned read access</source>
        <translation>Ausrichtungsfehler beim Lesen</translation>
    </message>
    <message>
        <source>Misaligned write access</source>
        <translation>Ausrichtungsfehler beim Schreiben</translation>
    </message>
    <message>
        <source>Write attempt to a write-protected data block</source>
        <translation>Schreibversuch auf schreibgeschützten Datenbaustein</translation>
    </message>
    <message>
        <source>Data block opened with an invalid number</source>
        <translation>Datenbaustein mit ungültiger Nummer geöffnet</translation>
    </message>
    <message>
        <source>FC called with an invalid number</source>
        <translation>FC mit ungültiger Nummer aufgerufen</translation>
    </message>
    <message>
        <source>FB called with an invalid number</source>
        <translation>FB mit ungültiger Nummer aufgerufen</translation>
    </message>
    <message>
        <source>Data block referenced but not loaded</source>
        <translation>Datenbaustein angesprochen, aber nicht geladen</translation>
    </message>
    <message>
        <source>FC called but not loaded</source>
        <translation>FC aufgerufen, aber nicht geladen</translation>
    </message>
    <message>
        <source>FB called but not loaded</source>
        <translation>FB aufgerufen, aber nicht geladen</translation>
    </message>
    <message>
        <source>I/O access error while reading</source>
        <translation>Peripheriezugriffsfehler beim Lesen</translation>
    </message>
    <message>
        <source>I/O access error while writing</source>
        <translation>Peripheriezugriffsfehler beim Schreiben</translation>
    </message>
    <message>
        <source>Scan cycle time exceeded</source>
        <translation>Zykluszeit überschritten</translation>
    </message>
    <message>
        <source>OB request error: OB requested again while still active</source>
        <translation>OB-Anforderungsfehler: OB erneut angefordert, während er noch läuft</translation>
    </message>
    <message>
        <source>A priority class was delayed too long</source>
        <translation>Eine Prioritätsklasse wurde zu lange verzögert</translation>
    </message>
    <message>
        <source>Time-of-day interrupts skipped because the clock was set forward</source>
        <translation>Uhrzeitalarme übersprungen, weil die Uhr vorgestellt wurde</translation>
    </message>
    <message>
        <source>Too many OB request errors: internal buffer overflow</source>
        <translation>Zu viele OB-Anforderungsfehler: interner Pufferüberlauf</translation>
    </message>
    <message>
        <source>Interrupts lost because of interrupt overload</source>
        <translation>Alarme durch Alarmüberlast verloren</translation>
    </message>
    <message>
        <source>Error OB needed by the system is not loaded</source>
        <translation>Vom System benötigter Fehler-OB nicht geladen</translation>
    </message>
    <message>
        <source>OB started by configuration or system function is not loaded</source>
        <translation>Per Projektierung oder Systemfunktion gestarteter OB nicht geladen</translation>
    </message>
    <message>
        <source>Backup battery fault on the central rack cleared</source>
        <translation>Pufferbatteriefehler im Zentralgerät behoben</translation>
    </message>
    <message>
        <source>Backup voltage on the central rack back</source>
        <translation>Pufferspannung im Zentralgerät wieder da</translation>
    </message>
    <message>
        <source>24 V supply on the central rack back</source>
        <translation>24-V-Versorgung im Zentralgerät wieder da</translation>
    </message>
    <message>
        <source>Module OK again</source>
        <translation>Baugruppe wieder in Ordnung</translation>
    </message>
    <message>
        <source>Module inserted and of the right type</source>
        <translation>Baugruppe gesteckt, Typ stimmt</translation>
    </message>
    <message>
        <source>Module inserted but of the wrong type</source>
        <translation>Baugruppe gesteckt, aber falscher Typ</translation>
    </message>
    <message>
        <source>I/O access error while updating the input process image cleared</source>
        <translation>Peripheriezugriffsfehler beim Aktualisieren des Prozessabbilds der Eingänge behoben</translation>
    </message>
    <message>
        <source>I/O access error while writing the output process image cleared</source>
        <translation>Peripheriezugriffsfehler beim Schreiben des Prozessabbilds der Ausgänge behoben</translation>
    </message>
    <message>
        <source>Expansion rack back in operation</source>
        <translation>Erweiterungsgerät wieder in Betrieb</translation>
    </message>
    <message>
        <source>Distributed I/O: DP station back</source>
        <translation>Dezentrale Peripherie: DP-Slave wieder da</translation>
    </message>
    <message>
        <source>Distributed I/O: DP station fault cleared</source>
        <translation>Dezentrale Peripherie: Störung des DP-Slaves behoben</translation>
    </message>
    <message>
        <source>PROFINET IO device back</source>
        <translation>PROFINET-IO-Device wieder da</translation>
    </message>
    <message>
        <source>Backup battery fault on the central rack</source>
        <translation>Pufferbatteriefehler im Zentralgerät</translation>
    </message>
    <message>
        <source>Backup voltage missing on the central rack</source>
        <translation>Pufferspannung im Zentralgerät fehlt</translation>
    </message>
    <message>
        <source>24 V supply failure on the central rack</source>
        <translation>Ausfall der 24-V-Versorgung im Zentralgerät</translation>
    </message>
    <message>
        <source>Module fault</source>
        <translation>Baugruppenstörung</translation>
    </message>
    <message>
        <source>Module removed or not addressable</source>
        <translation>Baugruppe gezogen oder nicht ansprechbar</translation>
    </message>
    <message>
        <source>I/O access error while updating the input process image</source>
        <translation>Peripheriezugriffsfehler beim Aktualisieren des Prozessabbilds der Eingänge</translation>
    </message>
    <message>
        <source>I/O access error while writing the output process image</source>
        <translation>Peripheriezugriffsfehler beim Schreiben des Prozessabbilds der Ausgänge</translation>
    </message>
    <message>
        <source>Expansion rack failure</source>
        <translation>Ausfall eines Erweiterungsgeräts</translation>
    </message>
    <message>
        <source>Distributed I/O: DP master system failure</source>
        <translation>Dezentrale Peripherie: Ausfall des DP-Mastersystems</translation>
    </message>
    <message>
        <source>Distributed I/O: DP station failure</source>
        <translation>Dezentrale Peripherie: Ausfall eines DP-Slaves</translation>
    </message>
    <message>
        <source>Distributed I/O: DP station fault</source>
        <translation>Dezentrale Peripherie: Störung eines DP-Slaves</translation>
    </message>
    <message>
        <source>PROFINET IO system failure</source>
        <translation>Ausfall des PROFINET-IO-Systems</translation>
    </message>
    <message>
        <source>PROFINET IO device failure</source>
        <translation>Ausfall eines PROFINET-IO-Device</translation>
    </message>
    <message>
        <source>Power-on with battery backup</source>
        <translation>Netz-Ein gepuffert</translation>
    </message>
    <message>
        <source>Mode change STOP to STARTUP</source>
        <translation>Betriebszustandswechsel STOP nach ANLAUF</translation>
    </message>
    <message>
        <source>Mode change STARTUP to RUN</source>
        <translation>Betriebszustandswechsel ANLAUF nach RUN</translation>
    </message>
    <message>
        <source>STOP: mode selector set to STOP</source>
        <translation>STOP: Betriebsartenschalter auf STOP</translation>
    </message>
    <message>
        <source>STOP requested by a programming device or a function block</source>
        <translation>STOP durch PG oder Funktionsbaustein angefordert</translation>
    </message>
    <message>
        <source>HOLD: breakpoint reached</source>
        <translation>HALT: Haltepunkt erreicht</translation>
    </message>
    <message>
        <source>HOLD: breakpoint left</source>
        <translation>HALT: Haltepunkt verlassen</translation>
    </message>
    <message>
        <source>Memory reset started from a programming device</source>
        <translation>Urlöschen vom PG gestartet</translation>
    </message>
    <message>
        <source>Memory reset started with the mode selector</source>
        <translation>Urlöschen mit dem Betriebsartenschalter gestartet</translation>
    </message>
    <message>
        <source>Automatic memory reset (power-on without backup)</source>
        <translation>Automatisches Urlöschen (Netz-Ein ungepuffert)</translation>
    </message>
    <message>
        <source>HOLD left, CPU goes to STOP</source>
        <translation>HALT verlassen, CPU geht in STOP</translation>
    </message>
    <message>
        <source>STOP caused by another CPU (multicomputing)</source>
        <translation>STOP durch andere CPU (Multicomputing)</translation>
    </message>
    <message>
        <source>Memory reset carried out</source>
        <translation>Urlöschen ausgeführt</translation>
    </message>
    <message>
        <source>Module watchdog started</source>
        <translation>Baugruppenüberwachung gestartet</translation>
    </message>
    <message>
        <source>All modules ready for operation</source>
        <translation>Alle Baugruppen betriebsbereit</translation>
    </message>
    <message>
        <source>DEFECT: STOP mode cannot be reached</source>
        <translation>DEFEKT: STOP nicht erreichbar</translation>
    </message>
    <message>
        <source>DEFECT: instruction-processing processor failed</source>
        <translation>DEFEKT: Befehlsprozessor ausgefallen</translation>
    </message>
    <message>
        <source>DEFECT: clock chip failed</source>
        <translation>DEFEKT: Uhrenbaustein ausgefallen</translation>
    </message>
    <message>
        <source>DEFECT: clock pulse generator failed</source>
        <translation>DEFEKT: Taktgeber ausgefallen</translation>
    </message>
    <message>
        <source>DEFECT: timer update function failed</source>
        <translation>DEFEKT: Zeitenaktualisierung ausgefallen</translation>
    </message>
    <message>
        <source>DEFECT: I/O access monitoring failed</source>
        <translation>DEFEKT: Überwachung der Peripheriezugriffe ausgefallen</translation>
    </message>
    <message>
        <source>DEFECT: scan-time monitoring failed</source>
        <translation>DEFEKT: Zykluszeitüberwachung ausgefallen</translation>
    </message>
    <message>
        <source>DEFECT: memory test error in internal memory</source>
        <translation>DEFEKT: Speichertestfehler im internen Speicher</translation>
    </message>
    <message>
        <source>STOP: work-memory expansion incomplete or with gaps</source>
        <translation>STOP: Arbeitsspeicherausbau unvollständig oder lückenhaft</translation>
    </message>
    <message>
        <source>STOP caused by the priority-class system</source>
        <translation>STOP durch das Prioritätsklassensystem</translation>
    </message>
    <message>
        <source>STOP caused by the object management system</source>
        <translation>STOP durch die Objektverwaltung</translation>
    </message>
    <message>
        <source>STOP caused by test functions</source>
        <translation>STOP durch Testfunktionen</translation>
    </message>
    <message>
        <source>STOP caused by the diagnostics system</source>
        <translation>STOP durch das Diagnosesystem</translation>
    </message>
    <message>
        <source>STOP caused by the communication system</source>
        <translation>STOP durch das Kommunikationssystem</translation>
    </message>
    <message>
        <source>STOP caused by CPU memory management</source>
        <translation>STOP durch die Speicherverwaltung der CPU</translation>
    </message>
    <message>
        <source>STOP caused by process-image management</source>
        <translation>STOP durch die Prozessabbildverwaltung</translation>
    </message>
    <message>
        <source>STOP caused by I/O management</source>
        <translation>STOP durch die Peripherieverwaltung</translation>
    </message>
    <message>
        <source>DEFECT: internal system error</source>
        <translation>DEFEKT: interner Systemfehler</translation>
    </message>
    <message>
        <source>Restart impossible: monitoring time expired</source>
        <translation>Anlauf nicht möglich: Überwachungszeit abgelaufen</translation>
    </message>
    <message>
        <source>STOP: memory reset requested</source>
        <translation>STOP: Urlöschanforderung</translation>
    </message>
    <message>
        <source>STOP: programming error and OB 121 not loaded</source>
        <translation>STOP: Programmierfehler und OB 121 nicht geladen</translation>
    </message>
    <message>
        <source>STOP: I/O access error and OB 122 not loaded</source>
        <translation>STOP: Peripheriezugriffsfehler und OB 122 nicht geladen</translation>
    </message>
    <message>
        <source>STOP caused by an H event</source>
        <translation>STOP durch ein H-Ereignis</translation>
    </message>
    <message>
        <source>STOP: time error and OB 80 not loaded</source>
        <translation>STOP: Zeitfehler und OB 80 nicht geladen</translation>
    </message>
    <message>
        <source>STOP: diagnostic interrupt and OB 82 not loaded</source>
        <translation>STOP: Diagnosealarm und OB 82 nicht geladen</translation>
    </message>
    <message>
        <source>STOP: module removed or inserted and OB 83 not loaded</source>
        <translation>STOP: Baugruppe gezogen oder gesteckt und OB 83 nicht geladen</translation>
    </message>
    <message>
        <source>STOP: CPU hardware error and OB 84 not loaded</source>
        <translation>STOP: CPU-Hardwarefehler und OB 84 nicht geladen</translation>
    </message>
    <message>
        <source>STOP: program sequence error and OB 85 not loaded</source>
        <translation>STOP: Programmablauffehler und OB 85 nicht geladen</translation>
    </message>
    <message>
        <source>STOP: communication error and OB 87 not loaded</source>
        <translation>STOP: Kommunikationsfehler und OB 87 nicht geladen</translation>
    </message>
    <message>
        <source>STOP: rack failure and OB 86 not loaded</source>
        <translation>STOP: Baugruppenträgerausfall und OB 86 nicht geladen</translation>
    </message>
    <message>
        <source>STOP: hardware interrupt and its OB not loaded</source>
        <translation>STOP: Prozessalarm und sein OB nicht geladen</translation>
    </message>
    <message>
        <source>STOP: nesting stack error</source>
        <translation>STOP: Fehler im Klammerstack</translation>
    </message>
    <message>
        <source>STOP: master control relay stack error</source>
        <translation>STOP: Fehler im Master-Control-Relay-Stack</translation>
    </message>
    <message>
        <source>STOP: synchronous errors nested too deeply</source>
        <translation>STOP: Synchronfehler zu tief verschachtelt</translation>
    </message>
    <message>
        <source>STOP: interrupt stack nested too deeply</source>
        <translation>STOP: Unterbrechungsstack zu tief verschachtelt</translation>
    </message>
    <message>
        <source>STOP: block stack nested too deeply</source>
        <translation>STOP: Bausteinstack zu tief verschachtelt</translation>
    </message>
    <message>
        <source>STOP: local data could not be allocated</source>
        <translation>STOP: Lokaldaten nicht zuteilbar</translation>
    </message>
    <message>
        <source>STOP: unknown operation code</source>
        <translation>STOP: unbekannter Operationscode</translation>
    </message>
    <message>
        <source>STOP: code length error</source>
        <translation>STOP: Codelängenfehler</translation>
    </message>
    <message>
        <source>STOP: STOP instruction executed in the program</source>
        <translation>STOP: STOP-Befehl im Programm ausgeführt</translation>
    </message>
    <message>
        <source>STOP: backup memory contents inconsistent</source>
        <translation>STOP: Inhalt des Pufferspeichers inkonsistent</translation>
    </message>
    <message>
        <source>DEFECT: watchdog for I/O access failed</source>
        <translation>DEFEKT: Überwachung der Peripheriezugriffe ausgefallen (Watchdog)</translation>
    </message>
    <message>
        <source>STOP or DEFECT: memory test error in the memory card</source>
        <translation>STOP oder DEFEKT: Speichertestfehler in der Memory Card</translation>
    </message>
    <message>
        <source>Checksum error</source>
        <translation>Prüfsummenfehler</translation>
    </message>
    <message>
        <source>DEFECT: memory not available</source>
        <translation>DEFEKT: Speicher nicht vorhanden</translation>
    </message>
    <message>
        <source>DEFECT: aborted by watchdog or processor exception</source>
        <translation>DEFEKT: Abbruch durch Watchdog oder Prozessorausnahme</translation>
    </message>
    <message>
        <source>STOP: continuous hardware interrupt</source>
        <translation>STOP: Dauerprozessalarm</translation>
    </message>
    <message>
        <source>STOP caused by an I/O error</source>
        <translation>STOP durch Peripheriefehler</translation>
    </message>
    <message>
        <source>STOP caused by a power failure</source>
        <translation>STOP durch Netzausfall</translation>
    </message>
    <message>
        <source>STOP caused by a configuration error</source>
        <translation>STOP durch Projektierungsfehler</translation>
    </message>
    <message>
        <source>One or more modules not ready for operation</source>
        <translation>Eine oder mehrere Baugruppen nicht betriebsbereit</translation>
    </message>
    <message>
        <source>STOP: parameter error or configuration mismatch, startup blocked</source>
        <translation>STOP: Parametrierfehler oder Soll-Ist-Abweichung, Anlauf gesperrt</translation>
    </message>
    <message>
        <source>STOP: parameter error, memory reset requested</source>
        <translation>STOP: Parametrierfehler, Urlöschanforderung</translation>
    </message>
    <message>
        <source>New startup information while in STOP</source>
        <translation>Neue Anlaufinformation im STOP</translation>
    </message>
    <message>
        <source>Startup although modules reported not ready</source>
        <translation>Anlauf trotz nicht betriebsbereit gemeldeter Baugruppen</translation>
    </message>
    <message>
        <source>Parameter assignment error</source>
        <translation>Parametrierfehler</translation>
    </message>
    <message>
        <source>Interface error while the controller was starting</source>
        <translation>Schnittstellenfehler beim Anlauf der Steuerung</translation>
    </message>
    <message>
        <source>Formatting of the memory card completed</source>
        <translation>Formatieren der Memory Card beendet</translation>
    </message>
    <message>
        <source>Connection id used twice on the module</source>
        <translation>Verbindungs-ID auf der Baugruppe doppelt vergeben</translation>
    </message>
    <message>
        <source>Not enough connection resources</source>
        <translation>Zu wenig Verbindungsressourcen</translation>
    </message>
    <message>
        <source>Faulty connection description</source>
        <translation>Fehlerhafte Verbindungsbeschreibung</translation>
    </message>
    <message>
        <source>No memory card and no internal memory available</source>
        <translation>Keine Memory Card und kein interner Speicher vorhanden</translation>
    </message>
    <message>
        <source>Memory card not permitted: replace it and reset memory</source>
        <translation>Memory Card nicht zulässig: tauschen und urlöschen</translation>
    </message>
    <message>
        <source>Memory reset requested: error accessing the memory card</source>
        <translation>Urlöschanforderung: Fehler beim Zugriff auf die Memory Card</translation>
    </message>
    <message>
        <source>Memory reset requested because the memory was replaced</source>
        <translation>Urlöschanforderung wegen Speichertausch</translation>
    </message>
    <message>
        <source>Resource problem with configured connections cleared</source>
        <translation>Ressourcenproblem bei projektierten Verbindungen behoben</translation>
    </message>
    <message>
        <source>Resource problem with configured connections</source>
        <translation>Ressourcenproblem bei projektierten Verbindungen</translation>
    </message>
    <message>
        <source>module fault</source>
        <translation>Baugruppenstörung</translation>
    </message>
    <message>
        <source>internal error</source>
        <translation>interner Fehler</translation>
    </message>
    <message>
        <source>external error</source>
        <translation>externer Fehler</translation>
    </message>
    <message>
        <source>channel error</source>
        <translation>Kanalfehler</translation>
    </message>
    <message>
        <source>no external auxiliary voltage</source>
        <translation>externe Hilfsspannung fehlt</translation>
    </message>
    <message>
        <source>front connector missing</source>
        <translation>Frontstecker fehlt</translation>
    </message>
    <message>
        <source>module not parameterised</source>
        <translation>Baugruppe nicht parametriert</translation>
    </message>
    <message>
        <source>wrong parameters</source>
        <translation>falsche Parameter</translation>
    </message>
    <message>
        <source>communication fault</source>
        <translation>Kommunikationsstörung</translation>
    </message>
    <message>
        <source>module in STOP</source>
        <translation>Baugruppe im STOP</translation>
    </message>
    <message>
        <source>module watchdog</source>
        <translation>Baugruppenüberwachung angesprochen</translation>
    </message>
    <message>
        <source>internal power failure</source>
        <translation>interner Spannungsausfall</translation>
    </message>
    <message>
        <source>battery exhausted</source>
        <translation>Batterie leer</translation>
    </message>
    <message>
        <source>complete backup failed</source>
        <translation>Gesamtpufferung ausgefallen</translation>
    </message>
    <message>
        <source>expansion rack failed</source>
        <translation>Erweiterungsgerät ausgefallen</translation>
    </message>
    <message>
        <source>processor failure</source>
        <translation>Prozessorausfall</translation>
    </message>
    <message>
        <source>EPROM error</source>
        <translation>EPROM-Fehler</translation>
    </message>
    <message>
        <source>RAM error</source>
        <translation>RAM-Fehler</translation>
    </message>
    <message>
        <source>ADC/DAC error</source>
        <translation>ADU/DAU-Fehler</translation>
    </message>
    <message>
        <source>fuse blown</source>
        <translation>Sicherung ausgelöst</translation>
    </message>
    <message>
        <source>hardware interrupt lost</source>
        <translation>Prozessalarm verloren</translation>
    </message>
    <message>
        <source>analog input: parameter error</source>
        <translation>Analogeingabe: Parametrierfehler</translation>
    </message>
    <message>
        <source>analog input: common-mode error</source>
        <translation>Analogeingabe: Gleichtaktfehler</translation>
    </message>
    <message>
        <source>analog input: short to phase</source>
        <translation>Analogeingabe: Kurzschluss nach L+</translation>
    </message>
    <message>
        <source>analog input: short to ground</source>
        <translation>Analogeingabe: Kurzschluss nach Masse</translation>
    </message>
    <message>
        <source>analog input: wire break</source>
        <translation>Analogeingabe: Drahtbruch</translation>
    </message>
    <message>
        <source>analog input: reference channel error</source>
        <translation>Analogeingabe: Fehler im Referenzkanal</translation>
    </message>
    <message>
        <source>analog input: below measuring range</source>
        <translation>Analogeingabe: Messbereichsunterschreitung</translation>
    </message>
    <message>
        <source>analog input: above measuring range</source>
        <translation>Analogeingabe: Messbereichsüberschreitung</translation>
    </message>
    <message>
        <source>analog output: parameter error</source>
        <translation>Analogausgabe: Parametrierfehler</translation>
    </message>
    <message>
        <source>analog output: common-mode error</source>
        <translation>Analogausgabe: Gleichtaktfehler</translation>
    </message>
    <message>
        <source>analog output: short to phase</source>
        <translation>Analogausgabe: Kurzschluss nach L+</translation>
    </message>
    <message>
        <source>analog output: short to ground</source>
        <translation>Analogausgabe: Kurzschluss nach Masse</translation>
    </message>
    <message>
        <source>analog output: wire break</source>
        <translation>Analogausgabe: Drahtbruch</translation>
    </message>
    <message>
        <source>analog output: no load voltage</source>
        <translation>Analogausgabe: Lastspannung fehlt</translation>
    </message>
    <message>
        <source>digital input: parameter error</source>
        <translation>Digitaleingabe: Parametrierfehler</translation>
    </message>
    <message>
        <source>digital input: ground fault</source>
        <translation>Digitaleingabe: Masseschluss</translation>
    </message>
    <message>
        <source>digital input: sensor short to phase</source>
        <translation>Digitaleingabe: Geberkurzschluss nach L+</translation>
    </message>
    <message>
        <source>digital input: sensor short to ground</source>
        <translation>Digitaleingabe: Geberkurzschluss nach Masse</translation>
    </message>
    <message>
        <source>digital input: wire break</source>
        <translation>Digitaleingabe: Drahtbruch</translation>
    </message>
    <message>
        <source>digital input: no sensor supply</source>
        <translation>Digitaleingabe: Geberversorgung fehlt</translation>
    </message>
    <message>
        <source>digital output: parameter error</source>
        <translation>Digitalausgabe: Parametrierfehler</translation>
    </message>
    <message>
        <source>digital output: ground fault</source>
        <translation>Digitalausgabe: Masseschluss</translation>
    </message>
    <message>
        <source>digital output: short to phase</source>
        <translation>Digitalausgabe: Kurzschluss nach L+</translation>
    </message>
    <message>
        <source>digital output: short to ground</source>
        <translation>Digitalausgabe: Kurzschluss nach Masse</translation>
    </message>
    <message>
        <source>digital output: wire break</source>
        <translation>Digitalausgabe: Drahtbruch</translation>
    </message>
    <message>
        <source>digital output: fuse tripped</source>
        <translation>Digitalausgabe: Sicherung ausgelöst</translation>
    </message>
    <message>
        <source>digital output: no load voltage</source>
        <translation>Digitalausgabe: Lastspannung fehlt</translation>
    </message>
    <message>
        <source>digital output: excess temperature</source>
        <translation>Digitalausgabe: Übertemperatur</translation>
    </message>
    <message>
        <source>The transfer was cancelled.</source>
        <translation>Die Übertragung wurde abgebrochen.</translation>
    </message>
    <message>
        <source>Memory compressed</source>
        <translation>Speicher komprimiert</translation>
    </message>
    <message>
        <source>RAM contents copied to ROM</source>
        <translation>RAM-Inhalt nach ROM kopiert</translation>
    </message>
    <message>
        <source>Block loaded into the controller</source>
        <translation>Baustein in die Steuerung geladen</translation>
    </message>
</context>
<context>
    <name>vexal::CCpuPage</name>
    <message>
        <source>Update</source>
        <translation>Aktualisieren</translation>
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
    <name>vexal::CMainSheet</name>
    <message>
        <source>Connection</source>
        <translation>Verbindung</translation>
    </message>
    <message>
        <source>Not connected</source>
        <translation>Nicht verbunden</translation>
    </message>
    <message>
        <source>Connected: %1</source>
        <translation>Verbunden: %1</translation>
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
    <message>
        <source>The memory was compressed.</source>
        <translation>Der Speicher wurde komprimiert.</translation>
    </message>
    <message>
        <source>The memory was not compressed.</source>
        <translation>Der Speicher wurde nicht komprimiert.</translation>
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
    <message>
        <source>Compare</source>
        <translation>Vergleichen</translation>
    </message>
    <message>
        <source>Save Report</source>
        <translation>Bericht speichern</translation>
    </message>
    <message>
        <source>Report</source>
        <translation>Bericht</translation>
    </message>
    <message>
        <source>Not in the controller: %1</source>
        <translation>Nicht in der Steuerung: %1</translation>
    </message>
    <message>
        <source>Text files (*.txt);;All files (*)</source>
        <translation>Textdateien (*.txt);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Can&apos;t write %1</source>
        <translation>%1 lässt sich nicht schreiben</translation>
    </message>
</context>
<context>
    <name>vexal::COpModePage</name>
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
        <translation>Suchen</translation>
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
        <translation>Speich.</translation>
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
