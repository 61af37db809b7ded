<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Conversion</name>
    <message>
        <source>a folder</source>
        <translation>ein Ordner</translation>
    </message>
    <message>
        <source>a named pipe (FIFO)</source>
        <translation>eine benannte Pipe (FIFO)</translation>
    </message>
    <message>
        <source>a socket</source>
        <translation>ein Socket</translation>
    </message>
    <message>
        <source>a device</source>
        <translation>ein Gerät</translation>
    </message>
    <message>
        <source>something else</source>
        <translation>etwas anderes</translation>
    </message>
    <message>
        <source>Folder does not exist. Please select another folder.</source>
        <translation>Der Ordner existiert nicht. Bitte wählen Sie einen anderen Ordner.</translation>
    </message>
    <message>
        <source>The file does not exist.</source>
        <translation>Die Datei existiert nicht.</translation>
    </message>
    <message>
        <source>The file cannot be read: %1.</source>
        <translation>Die Datei kann nicht gelesen werden: %1.</translation>
    </message>
    <message>
        <source>This is %1, not a regular file.</source>
        <translation>Dies ist %1, keine reguläre Datei.</translation>
    </message>
    <message>
        <source>The result would replace the input file.</source>
        <translation>Das Ergebnis würde die Eingabedatei ersetzen.</translation>
    </message>
    <message>
        <source>file not found</source>
        <translation>Datei nicht gefunden</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>Zugriff verweigert</translation>
    </message>
    <message>
        <source>error %1</source>
        <translation>Fehler %1</translation>
    </message>
    <message>
        <source>The converter could not be started (%1).</source>
        <translation>Der Konverter konnte nicht gestartet werden (%1).</translation>
    </message>
    <message>
        <source>The converter failed with exit code %1.</source>
        <translation>Der Konverter ist mit Exitcode %1 fehlgeschlagen.</translation>
    </message>
    <message>
        <source>The converter wrote no output file.</source>
        <translation>Der Konverter hat keine Ausgabedatei geschrieben.</translation>
    </message>
    <message>
        <source>The converter wrote an empty file.</source>
        <translation>Der Konverter hat eine leere Datei geschrieben.</translation>
    </message>
    <message>
        <source>Done.</source>
        <translation>Fertig.</translation>
    </message>
    <message>
        <source>1 file could not be converted:</source>
        <translation>1 Datei konnte nicht konvertiert werden:</translation>
    </message>
    <message>
        <source>%1 files could not be converted:</source>
        <translation>%1 Dateien konnten nicht konvertiert werden:</translation>
    </message>
    <message>
        <source>No files added.</source>
        <translation>Keine Dateien hinzugefügt.</translation>
    </message>
    <message>
        <source>Processing: </source>
        <translation>Wird verarbeitet: </translation>
    </message>
    <message>
        <source>Progress Bar</source>
        <translation>Fortschrittsanzeige</translation>
    </message>
    <message>
        <source>The result would replace the listed file &quot;%1&quot;.</source>
        <translation>Das Ergebnis würde die Datei „%1“ aus der Liste ersetzen.</translation>
    </message>
    <message>
        <source>The result would replace the result of &quot;%1&quot;.</source>
        <translation>Das Ergebnis würde das Ergebnis von „%1“ ersetzen.</translation>
    </message>
    <message>
        <source>Please wait.. </source>
        <translation>bitte warten … </translation>
    </message>
    <message>
        <source>Converted: %1
Not converted: %2</source>
        <translation>Konvertiert: %1
Nicht konvertiert: %2</translation>
    </message>
    <message>
        <source>The input is not an audio file but %1.</source>
        <translation>Die Eingabe ist keine Audiodatei, sondern %1.</translation>
    </message>
    <message>
        <source>This is no recording but a file of the system&apos;s %1 file system, which may be read without end. Only files kept on a disk are converted.</source>
        <translation>Dies ist keine Aufnahme, sondern eine Datei des Systemdateisystems %1, die womöglich ohne Ende gelesen wird. Umgewandelt werden nur Dateien, die auf einem Datenträger liegen.</translation>
    </message>
</context>
<context>
    <name>ErrorReport</name>
    <message>
        <source>at line </source>
        <translation>in Zeile </translation>
    </message>
    <message>
        <source>Please email screenshot of this message to </source>
        <translation>Bitte senden Sie ein Bildschirmfoto dieser Meldung per E-Mail an </translation>
    </message>
    <message>
        <source>Application Error</source>
        <translation>Anwendungsfehler</translation>
    </message>
</context>
<context>
    <name>Failure</name>
    <message>
        <source>Invalid procedure call or argument</source>
        <translation>Ungültiger Prozeduraufruf oder ungültiges Argument</translation>
    </message>
    <message>
        <source>Could not delete &quot;%1&quot;: %2</source>
        <translation>„%1“ konnte nicht gelöscht werden: %2</translation>
    </message>
    <message>
        <source>The probe &quot;%1&quot; was not found. Install the Debian package &quot;%2&quot;.</source>
        <translation>Das Analyseprogramm „%1“ wurde nicht gefunden. Installieren Sie das Debian-Paket „%2“.</translation>
    </message>
    <message>
        <source>The converter &quot;%1&quot; was not found. Install the Debian package &quot;%2&quot;.</source>
        <translation>Der Konverter „%1“ wurde nicht gefunden. Installieren Sie das Debian-Paket „%2“.</translation>
    </message>
    <message>
        <source>The tool &quot;%1&quot; could not be read: %2</source>
        <translation>Das Werkzeug „%1“ konnte nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>The tool file &quot;%1&quot; could not be written: %2</source>
        <translation>Die Werkzeugdatei „%1“ konnte nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>The tools folder could not be made in &quot;%1&quot;: %2</source>
        <translation>Der Werkzeugordner konnte nicht in „%1“ angelegt werden: %2</translation>
    </message>
    <message>
        <source>The settings file &quot;%1&quot; could not be written</source>
        <translation>Die Einstellungsdatei „%1“ konnte nicht geschrieben werden</translation>
    </message>
    <message>
        <source>Type mismatch</source>
        <translation>Typen unverträglich</translation>
    </message>
    <message>
        <source>Overflow</source>
        <translation>Überlauf</translation>
    </message>
    <message>
        <source>Invalid procedure call or argument: no desktop folder</source>
        <translation>Ungültiger Prozeduraufruf oder ungültiges Argument: kein Desktop-Ordner</translation>
    </message>
</context>
<context>
    <name>FileList</name>
    <message>
        <source>Add File(s) - Hold Ctrl to select multiple files</source>
        <translation>Datei(en) hinzufügen – Strg gedrückt halten, um mehrere Dateien auszuwählen</translation>
    </message>
    <message>
        <source>M4A File (*.m4a)</source>
        <translation>M4A-Datei (*.m4a)</translation>
    </message>
    <message>
        <source>You&apos;ve selected too many files to add.</source>
        <translation>Sie haben zu viele Dateien zum Hinzufügen ausgewählt.</translation>
    </message>
    <message>
        <source>Please try adding via the &quot;Add All&quot; button.</source>
        <translation>Bitte versuchen Sie es mit der Schaltfläche „Alle M4A im Ordner hinzufügen“.</translation>
    </message>
    <message>
        <source>Enter file extension to load:</source>
        <translation>Dateiendung der zu ladenden Dateien eingeben:</translation>
    </message>
    <message>
        <source>(* for all files, txt for all txt files, doc for all doc files, etc.)</source>
        <translation>(* für alle Dateien, txt für alle txt-Dateien, doc für alle doc-Dateien usw.)</translation>
    </message>
    <message>
        <source>Please select folder:</source>
        <translation>Bitte Ordner auswählen:</translation>
    </message>
</context>
<context>
    <name>Options</name>
    <message>
        <source>Please select folder:</source>
        <translation>Bitte Ordner auswählen:</translation>
    </message>
</context>
<context>
    <name>Samples</name>
    <message>
        <source>Would you like this software to open the folder where these sample files are stored (so that you can view them before working with them)?</source>
        <translation>Möchten Sie, dass dieses Programm den Ordner öffnet, in dem diese Beispieldateien liegen (damit Sie sie ansehen können, bevor Sie mit ihnen arbeiten)?</translation>
    </message>
</context>
<context>
    <name>StartUp</name>
    <message>
        <source>M4A File(s)</source>
        <translation>M4A-Datei(en)</translation>
    </message>
</context>
<context>
    <name>plumark::Form1</name>
    <message>
        <source>Drag and drop files here. Double-click item to remove it. Move | line to right and out of window to reveal full names.</source>
        <translation>Dateien hierher ziehen und ablegen. Doppelklick auf einen Eintrag entfernt ihn. Die Linie | nach rechts aus dem Fenster ziehen, um die vollständigen Namen zu sehen.</translation>
    </message>
    <message>
        <source>M4A files</source>
        <translation>M4A-Dateien</translation>
    </message>
    <message>
        <source>Add M4A File(s)</source>
        <translation>M4A-Datei(en) hinzufügen</translation>
    </message>
    <message>
        <source>Add All M4A File(s) In Folder</source>
        <translation>Alle M4A im Ordner hinzufügen</translation>
    </message>
    <message>
        <source>Clear List</source>
        <translation>Liste leeren</translation>
    </message>
    <message>
        <source>Load Sample/Example Files</source>
        <translation>Beispieldateien laden</translation>
    </message>
    <message>
        <source>Bit Rate Of Output File</source>
        <translation>Bitrate der Ausgabedatei</translation>
    </message>
    <message>
        <source>Use same bit rate as input file (most efficient)</source>
        <translation>Gleiche Bitrate wie Eingabe (am effizientesten)</translation>
    </message>
    <message>
        <source>Use this constant bit rate for all files:</source>
        <translation>Diese feste Bitrate für alle Dateien:</translation>
    </message>
    <message>
        <source>Save Option</source>
        <translation>Speicherort</translation>
    </message>
    <message>
        <source>Save results to this folder:</source>
        <translation>In diesem Ordner speichern:</translation>
    </message>
    <message>
        <source>Output folder</source>
        <translation>Ausgabeordner</translation>
    </message>
    <message>
        <source>Choose the output folder</source>
        <translation>Ausgabeordner wählen</translation>
    </message>
    <message>
        <source>Save results in folder of original file</source>
        <translation>Im Ordner der Originaldatei speichern</translation>
    </message>
    <message>
        <source>Start Converting</source>
        <translation>Konvertierung starten</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Fortschritt</translation>
    </message>
    <message>
        <source>Invalid property value: &quot;%1&quot; is not a rate entry</source>
        <translation>Ungültiger Eigenschaftswert: „%1“ ist kein Eintrag der Bitratenliste</translation>
    </message>
    <message>
        <source>Invalid picture: &quot;%1&quot;</source>
        <translation>Ungültiges Bild: „%1“</translation>
    </message>
    <message>
        <source>The skin &quot;%1&quot; could not be read: %2</source>
        <translation>Der Skin „%1“ konnte nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>The skin &quot;%1&quot; is not a style sheet that Qt can parse</source>
        <translation>Der Skin „%1“ ist kein Stylesheet, das Qt lesen kann</translation>
    </message>
</context>
</TS>
