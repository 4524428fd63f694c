<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>BatchController</name>
    <message>
        <source>Stop converting now?<byte value="xd"/>
<byte value="xd"/>
Text files already made are kept; the files not yet converted are named at the end.</source>
        <translation>Umwandlung jetzt beenden?<byte value="xd"/>
<byte value="xd"/>
Bereits erstellte Textdateien bleiben erhalten; die noch nicht umgewandelten Dateien werden am Ende genannt.</translation>
    </message>
    <message>
        <source>%1 of %2: %3</source>
        <translation>%1 von %2: %3</translation>
    </message>
    <message>
        <source>%1 (about %2 s left)</source>
        <translation>%1 (noch etwa %2 s)</translation>
    </message>
    <message>
        <source>%1 (about %2 min left)</source>
        <translation>%1 (noch etwa %2 min)</translation>
    </message>
    <message>
        <source>%1 (about %2 h left)</source>
        <translation>%1 (noch etwa %2 h)</translation>
    </message>
    <message>
        <source>No files added.</source>
        <translation>Keine Dateien hinzugefügt.</translation>
    </message>
    <message>
        <source>Folder does not exist. Please select another folder.</source>
        <translation>Der Ordner existiert nicht. Bitte wählen Sie einen anderen Ordner.</translation>
    </message>
    <message>
        <source>Please choose where to save the text files: in a folder, or next to each PDF.</source>
        <translation>Bitte wählen Sie, wo die Textdateien gespeichert werden: in einem Ordner oder neben jeder PDF-Datei.</translation>
    </message>
    <message>
        <source>Save list</source>
        <translation>Liste speichern</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>CSV-Dateien (*.csv)</translation>
    </message>
    <message>
        <source>The list could not be saved as %1: %2</source>
        <translation>Die Liste konnte nicht als %1 gespeichert werden: %2</translation>
    </message>
    <message>
        <source>The folder %1 could not be opened.</source>
        <translation>Der Ordner %1 konnte nicht geöffnet werden.</translation>
    </message>
    <message>
        <source>(no folder given)</source>
        <translation>(kein Ordner angegeben)</translation>
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
</context>
<context>
    <name>FileListController</name>
    <message>
        <source>Add File(s) - Use Ctrl &amp; Shift to select multiple files</source>
        <translation>Datei(en) hinzufügen – mit Strg und Umschalt mehrere Dateien auswählen</translation>
    </message>
    <message>
        <source>PDF Files (%1)</source>
        <extracomment>The filter of the open-files dialog; %1 is the list of patterns (&quot;*.pdf *.PDF ...&quot;).</extracomment>
        <translation>PDF-Dateien (%1)</translation>
    </message>
</context>
<context>
    <name>FolderScanController</name>
    <message>
        <source>Enter file extension to load:<byte value="xd"/><byte value="xd"/>(* for all files, txt for all txt files, doc for all doc files, etc.)</source>
        <translation>Dateiendung der zu ladenden Dateien eingeben:<byte value="xd"/><byte value="xd"/>(* für alle Dateien, txt für alle txt-Dateien, doc für alle doc-Dateien usw.)</translation>
    </message>
    <message>
        <source>Please select folder:</source>
        <translation>Bitte Ordner auswählen:</translation>
    </message>
</context>
<context>
    <name>Help</name>
    <message>
        <source>This program will:</source>
        <translation>Dieses Programm kann:</translation>
    </message>
    <message>
        <source>*extract text from a PDF.</source>
        <translation>*Text aus einer PDF-Datei gewinnen.</translation>
    </message>
    <message>
        <source>This program will not:</source>
        <translation>Dieses Programm kann nicht:</translation>
    </message>
    <message>
        <source>*extract an image representing text from a PDF (text within an image within a PDF).</source>
        <translation>*ein Bild, das Text darstellt, aus einer PDF-Datei lesen (Text in einem Bild in einer PDF-Datei).</translation>
    </message>
    <message>
        <source>With the OCR Option ticked, it does read the text within the images of scanned pages, by OCR in the chosen language.</source>
        <translation>Ist die Texterkennung angekreuzt, liest es den Text in den Bildern gescannter Seiten doch, per OCR in der gewählten Sprache.</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Morwenda</source>
        <translation>Morwenda</translation>
    </message>
    <message>
        <source>Converts PDF files to text files.</source>
        <translation>Wandelt PDF-Dateien in Textdateien um.</translation>
    </message>
    <message>
        <source>Converting. Click to stop converting.</source>
        <translation>Umwandlung läuft. Klicken, um sie zu beenden.</translation>
    </message>
</context>
<context>
    <name>MessageBoxes</name>
    <message>
        <source>Application Error</source>
        <translation>Programmfehler</translation>
    </message>
    <message>
        <source>Input Password</source>
        <translation>Kennwort eingeben</translation>
    </message>
</context>
<context>
    <name>OcrOptionController</name>
    <message>
        <source>Reading scanned pages needs tesseract&apos;s language data: install the Debian package tesseract-ocr-eng (or tesseract-ocr-deu, ... for other languages).</source>
        <translation>Zum Lesen gescannter Seiten braucht tesseract seine Sprachdaten: Installieren Sie das Debian-Paket tesseract-ocr-eng (oder tesseract-ocr-deu, ... für andere Sprachen).</translation>
    </message>
    <message>
        <source>Your choices cannot be saved for the next start: </source>
        <translation>Ihre Auswahl kann nicht für den nächsten Start gespeichert werden: </translation>
    </message>
</context>
<context>
    <name>OptionsController</name>
    <message>
        <source>Your choices cannot be saved for the next start: </source>
        <translation>Ihre Auswahl kann nicht für den nächsten Start gespeichert werden: </translation>
    </message>
    <message>
        <source>Please select folder:</source>
        <translation>Bitte Ordner auswählen:</translation>
    </message>
</context>
<context>
    <name>PasswordBox</name>
    <message>
        <source>Password</source>
        <translation>Kennwort</translation>
    </message>
</context>
<context>
    <name>PasswordPrompt</name>
    <message>
        <source>Enter password for file (%1): </source>
        <translation>Kennwort für die Datei (%1) eingeben: </translation>
    </message>
    <message>
        <source>Note: Leave this box blank if file is not password protected</source>
        <translation>Hinweis: Lassen Sie das Feld leer, wenn die Datei nicht kennwortgeschützt ist</translation>
    </message>
    <message>
        <source>&amp;Use this password for the other protected files</source>
        <translation>Dieses Kennwort für die anderen geschützten Dateien &amp;verwenden</translation>
    </message>
</context>
<context>
    <name>PreviewController</name>
    <message>
        <source>The file %1 can not be read by this software - password protected.</source>
        <translation>Die Datei %1 kann von diesem Programm nicht gelesen werden – kennwortgeschützt.</translation>
    </message>
    <message>
        <source>The file %1 can not be read by this software - text unreadable. Please view the file yourself to see if it is really a scanned image of text and not proper PDF text.</source>
        <translation>Die Datei %1 kann von diesem Programm nicht gelesen werden – Text unlesbar. Bitte sehen Sie sich die Datei selbst an: Ist sie wirklich ein eingescanntes Bild von Text und kein echter PDF-Text?</translation>
    </message>
    <message>
        <source>The file %1 can not be read by this software - %2</source>
        <translation>Die Datei %1 kann von diesem Programm nicht gelesen werden – %2</translation>
    </message>
</context>
<context>
    <name>Reasons</name>
    <message>
        <source>invalid password or no password protected.</source>
        <translation>ungültiges Kennwort oder nicht kennwortgeschützt.</translation>
    </message>
    <message>
        <source>password protected or text is protected.</source>
        <translation>kennwortgeschützt oder der Text ist geschützt.</translation>
    </message>
    <message>
        <source>text unreadable. Please view the file yourself to see if it is really a scanned image of text and not proper PDF text.</source>
        <translation>Text unlesbar. Bitte sehen Sie sich die Datei selbst an, um zu prüfen, ob sie wirklich ein gescanntes Bild von Text ist und kein echter PDF-Text.</translation>
    </message>
    <message>
        <source>damaged file or not a PDF file.</source>
        <translation>beschädigte Datei oder keine PDF-Datei.</translation>
    </message>
    <message>
        <source>not converted: the run was stopped.</source>
        <translation>nicht umgewandelt: die Umwandlung wurde beendet.</translation>
    </message>
    <message>
        <source>the file could not be read: %1.</source>
        <translation>die Datei konnte nicht gelesen werden: %1.</translation>
    </message>
    <message>
        <source>the text could not be written: %1.</source>
        <translation>der Text konnte nicht geschrieben werden: %1.</translation>
    </message>
    <message>
        <source>stopped after %1 seconds without new text (time limit).</source>
        <translation>nach %1 Sekunden ohne neuen Text beendet (Zeitgrenze).</translation>
    </message>
    <message>
        <source>stopped after 1 second without new text (time limit).</source>
        <translation>nach 1 Sekunde ohne neuen Text beendet (Zeitgrenze).</translation>
    </message>
    <message>
        <source>stopped at the memory limit of %1 MB.</source>
        <translation>an der Speichergrenze von %1 MB beendet.</translation>
    </message>
    <message>
        <source>stopped at the memory limit of %1 MB on page %2.</source>
        <translation>an der Speichergrenze von %1 MB auf Seite %2 beendet.</translation>
    </message>
    <message>
        <source>the converter crashed (signal %1).</source>
        <translation>der Konverter ist abgestürzt (Signal %1).</translation>
    </message>
    <message>
        <source>the converter could not be started: it has no text encoding called %1.</source>
        <translation>der Konverter konnte nicht gestartet werden: er kennt keine Textkodierung namens %1.</translation>
    </message>
    <message>
        <source>the converter could not be started: %1.</source>
        <translation>der Konverter konnte nicht gestartet werden: %1.</translation>
    </message>
    <message>
        <source>the converter stopped before the text was complete: %1.</source>
        <translation>der Konverter endete, bevor der Text vollständig war: %1.</translation>
    </message>
    <message>
        <source>%1 of %2 pages read by OCR, mean word confidence %3 %.</source>
        <translation>%1 von %2 Seiten per Texterkennung gelesen, mittlere Wortsicherheit %3 %.</translation>
    </message>
    <message>
        <source>%1 of %2 pages read by OCR.</source>
        <translation>%1 von %2 Seiten per Texterkennung gelesen.</translation>
    </message>
    <message>
        <source>text read by OCR with low confidence (%1 of %2 pages, mean word confidence %3 %).</source>
        <translation>Text per Texterkennung mit geringer Sicherheit gelesen (%1 von %2 Seiten, mittlere Wortsicherheit %3 %).</translation>
    </message>
    <message>
        <source>no page to convert: the first page (%1) is after the last page (%2).</source>
        <translation>keine Seite umzuwandeln: die erste Seite (%1) liegt hinter der letzten Seite (%2).</translation>
    </message>
    <message>
        <source>%1 of %2 pages could not be read (%3); the text holds the others.</source>
        <translation>%1 von %2 Seiten konnten nicht gelesen werden (%3); der Text enthält die übrigen.</translation>
    </message>
    <message>
        <source>%1 of %2 pages could not be read; the text holds the others.</source>
        <translation>%1 von %2 Seiten konnten nicht gelesen werden; der Text enthält die übrigen.</translation>
    </message>
    <message>
        <source>the file changed while it was converted; its old text (if any) was kept.</source>
        <translation>die Datei wurde während der Umwandlung geändert; ihr alter Text (falls vorhanden) wurde behalten.</translation>
    </message>
    <message>
        <source>OCR doubtful on %1: some words were read with low confidence or not read where the page has ink; the text is kept.</source>
        <translation>OCR zweifelhaft auf %1: einige Wörter wurden unsicher oder dort, wo die Seite Schrift zeigt, gar nicht gelesen; der Text wird behalten.</translation>
    </message>
    <message>
        <source>OCR turned no page upright: tesseract&apos;s orientation data is not installed (Debian package tesseract-ocr-osd).</source>
        <translation>OCR hat keine Seite aufgerichtet: die Ausrichtungsdaten von tesseract sind nicht installiert (Debian-Paket tesseract-ocr-osd).</translation>
    </message>
    <message>
        <source> Turned upright: page %1.</source>
        <translation> Aufgerichtet: Seite %1.</translation>
    </message>
    <message>
        <source> Turned upright: pages %1.</source>
        <translation> Aufgerichtet: Seiten %1.</translation>
    </message>
    <message>
        <source> Straightened: page %1.</source>
        <translation> Begradigt: Seite %1.</translation>
    </message>
    <message>
        <source> Straightened: pages %1.</source>
        <translation> Begradigt: Seiten %1.</translation>
    </message>
</context>
<context>
    <name>RunEndNotice</name>
    <message>
        <source>%1 of %2 files converted.</source>
        <translation>%1 von %2 Dateien umgewandelt.</translation>
    </message>
</context>
<context>
    <name>RunSummary</name>
    <message>
        <source>Done.</source>
        <translation>Fertig.</translation>
    </message>
    <message>
        <source>File(s) has no data.</source>
        <translation>Die Datei(en) enthalten keine Daten.</translation>
    </message>
    <message>
        <source>No converter can be run, so no PDF can be converted to text.</source>
        <translation>Kein Konverter kann gestartet werden, daher kann keine PDF-Datei in Text umgewandelt werden.</translation>
    </message>
    <message>
        <source>The following files could not be read:</source>
        <translation>Die folgenden Dateien konnten nicht gelesen werden:</translation>
    </message>
    <message>
        <source>Text read by OCR from scanned pages:</source>
        <translation>Per Texterkennung aus gescannten Seiten gelesener Text:</translation>
    </message>
    <message>
        <source>These texts were numbered, because a listed file or an earlier text has the same name:</source>
        <translation>Diese Texte wurden nummeriert, weil eine aufgeführte Datei oder ein früherer Text denselben Namen hat:</translation>
    </message>
    <message>
        <source>  - its text is %1</source>
        <translation>  - ihr Text ist %1</translation>
    </message>
    <message>
        <source>These texts could not be written:</source>
        <translation>Diese Texte konnten nicht geschrieben werden:</translation>
    </message>
    <message>
        <source>Some pages could not be read; the texts hold the other pages:</source>
        <translation>Einige Seiten konnten nicht gelesen werden; die Texte enthalten die übrigen Seiten:</translation>
    </message>
    <message>
        <source>Text read by OCR with low confidence:</source>
        <translation>Per OCR mit geringer Sicherheit gelesener Text:</translation>
    </message>
    <message>
        <source>1 file was not converted, because the run was stopped:</source>
        <translation>1 Datei wurde nicht umgewandelt, weil der Lauf angehalten wurde:</translation>
    </message>
    <message>
        <source>%1 files were not converted, because the run was stopped:</source>
        <translation>%1 Dateien wurden nicht umgewandelt, weil der Lauf angehalten wurde:</translation>
    </message>
</context>
<context>
    <name>SampleFilesController</name>
    <message>
        <source>Would you like this software to open the folder where these sample files are stored (so that you can view them before working with them)?</source>
        <translation>Soll dieses Programm den Ordner öffnen, in dem die Beispieldateien liegen (damit Sie sie ansehen können, bevor Sie mit ihnen arbeiten)?</translation>
    </message>
</context>
<context>
    <name>StartUp</name>
    <message>
        <source>PDF File(s)</source>
        <translation>PDF-Datei(en)</translation>
    </message>
    <message>
        <source>PDF Preview (Click on added PDF file above. This is how the file appears to me)</source>
        <translation>PDF-Vorschau (oben auf eine Datei klicken – so sieht dieses Programm sie)</translation>
    </message>
</context>
<context>
    <name>WidgetServices</name>
    <message>
        <source>Save &amp;list...</source>
        <translation>&amp;Liste speichern...</translation>
    </message>
    <message>
        <source>Open output &amp;folder</source>
        <translation>&amp;Zielordner öffnen</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Meldung</translation>
    </message>
</context>
<context>
    <name>WindowLayout</name>
    <message>
        <source>Progress Bar</source>
        <translation>Fortschrittsanzeige</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Shows what this program does and does not do (F1).</source>
        <translation>Zeigt, was dieses Programm kann und was nicht (F1).</translation>
    </message>
    <message>
        <source>Drag and drop files here. Double-click item to remove it. Move | line to right and out of window to reveal full names.</source>
        <translation>Dateien hierher ziehen. Doppelklick entfernt einen Eintrag. Den Strich | nach rechts aus dem Fenster ziehen, um die vollen Namen zu sehen.</translation>
    </message>
    <message>
        <source>PDF files to convert</source>
        <translation>Umzuwandelnde PDF-Dateien</translation>
    </message>
    <message>
        <source>The PDF files to convert, in order. Arrow keys preview the current file; the Delete key removes it.</source>
        <translation>Die umzuwandelnden PDF-Dateien der Reihe nach. Die Pfeiltasten zeigen die Vorschau der aktuellen Datei; die Entf-Taste entfernt sie.</translation>
    </message>
    <message>
        <source>&amp;Add PDF File(s)</source>
        <translation>PDF-Datei(en) hin&amp;zufügen</translation>
    </message>
    <message>
        <source>Chooses PDF files to add to the list (Ctrl+O).</source>
        <translation>Wählt PDF-Dateien für die Liste aus (Strg+O).</translation>
    </message>
    <message>
        <source>Add All PDF File(s) In &amp;Folder</source>
        <translation>PDFs aus &amp;Ordner hinzufügen</translation>
    </message>
    <message>
        <source>Adds every PDF file of a folder and its subfolders.</source>
        <translation>Fügt alle PDF-Dateien eines Ordners und seiner Unterordner hinzu.</translation>
    </message>
    <message>
        <source>&amp;Clear List</source>
        <translation>Liste &amp;leeren</translation>
    </message>
    <message>
        <source>Removes every file from the list.</source>
        <translation>Entfernt alle Dateien aus der Liste.</translation>
    </message>
    <message>
        <source>&amp;Load Sample/Example Files</source>
        <translation>&amp;Beispieldateien laden</translation>
    </message>
    <message>
        <source>Adds the sample PDF files that come with the program.</source>
        <translation>Fügt die mitgelieferten Beispiel-PDF-Dateien hinzu.</translation>
    </message>
    <message>
        <source>Password Option</source>
        <translation>Kennwort</translation>
    </message>
    <message>
        <source>Whether to ask for the password of each file.</source>
        <translation>Ob für jede Datei nach dem Kennwort gefragt wird.</translation>
    </message>
    <message>
        <source>&amp;Prompt for password because PDF files are password protected</source>
        <translation>Nach &amp;Kennwort fragen, weil die PDF-Dateien geschützt sind</translation>
    </message>
    <message>
        <source>When ticked, a password is asked for each file before it is converted or previewed.</source>
        <translation>Wenn angekreuzt, wird vor Umwandlung und Vorschau jeder Datei nach dem Kennwort gefragt.</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>PDF preview</source>
        <translation>PDF-Vorschau</translation>
    </message>
    <message>
        <source>The first lines of text of the current file, as this program reads them.</source>
        <translation>Die ersten Textzeilen der aktuellen Datei, so wie dieses Programm sie liest.</translation>
    </message>
    <message>
        <source>Save Option</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Where the text files are saved.</source>
        <translation>Wo die Textdateien gespeichert werden.</translation>
    </message>
    <message>
        <source>Save results to &amp;this folder:</source>
        <translation>In &amp;diesem Ordner speichern:</translation>
    </message>
    <message>
        <source>Saves every text file in the folder named below.</source>
        <translation>Speichert alle Textdateien im unten genannten Ordner.</translation>
    </message>
    <message>
        <source>Output folder</source>
        <translation>Zielordner</translation>
    </message>
    <message>
        <source>Output folder path</source>
        <translation>Pfad des Zielordners</translation>
    </message>
    <message>
        <source>The folder for the text files.</source>
        <translation>Der Ordner für die Textdateien.</translation>
    </message>
    <message>
        <source>The folder the text files are saved in; type it or choose it with the button beside.</source>
        <translation>Der Ordner, in dem die Textdateien gespeichert werden; eintippen oder mit der Schaltfläche daneben wählen.</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>Choose output folder</source>
        <translation>Zielordner wählen</translation>
    </message>
    <message>
        <source>Chooses the folder for the text files.</source>
        <translation>Wählt den Ordner für die Textdateien.</translation>
    </message>
    <message>
        <source>Save results in folder of &amp;original file</source>
        <translation>Im Ordner der Origin&amp;aldatei speichern</translation>
    </message>
    <message>
        <source>Saves each text file beside its PDF file.</source>
        <translation>Speichert jede Textdatei neben ihrer PDF-Datei.</translation>
    </message>
    <message>
        <source>&amp;Start Converting To Text</source>
        <translation>Umwandlung in Text &amp;starten</translation>
    </message>
    <message>
        <source>Converts every listed file to text; during a run, asks whether to stop.</source>
        <translation>Wandelt alle Dateien der Liste in Text um; während einer Umwandlung wird gefragt, ob sie beendet werden soll.</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Fortschritt</translation>
    </message>
    <message>
        <source>How far the conversion is, and the file being converted.</source>
        <translation>Wie weit die Umwandlung ist, und die Datei, die gerade umgewandelt wird.</translation>
    </message>
    <message>
        <source>OCR Option</source>
        <translation>Texterkennung</translation>
    </message>
    <message>
        <source>Whether scanned pages are read by OCR, and in which language.</source>
        <translation>Ob gescannte Seiten per Texterkennung gelesen werden, und in welcher Sprache.</translation>
    </message>
    <message>
        <source>Pages without usable text are read by tesseract (slower: seconds a page).</source>
        <translation>Seiten ohne brauchbaren Text liest tesseract (langsamer: Sekunden pro Seite).</translation>
    </message>
    <message>
        <source>When ticked, pages without usable text are read by OCR.</source>
        <translation>Wenn angekreuzt, werden Seiten ohne brauchbaren Text per Texterkennung gelesen.</translation>
    </message>
    <message>
        <source>The language of the scanned pages</source>
        <translation>Die Sprache der gescannten Seiten</translation>
    </message>
    <message>
        <source>OCR language</source>
        <translation>Sprache der Texterkennung</translation>
    </message>
    <message>
        <source>The language OCR reads the scanned pages in.</source>
        <translation>Die Sprache, in der die Texterkennung die gescannten Seiten liest.</translation>
    </message>
    <message>
        <source>Read scanned pages by OC&amp;R</source>
        <translation>Scanseiten per OC&amp;R lesen</translation>
    </message>
    <message>
        <source>La&amp;nguage:</source>
        <translation>S&amp;prache:</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Usage: morwenda [FILE or FOLDER]...
Opens the window that converts PDF files to text files. Files named here are added to its list; folders add the PDF files inside them.

  -h, --help     show this help and end
      --version  show the version and end

To convert without a window, use morwenda-batch.
</source>
        <translation>Aufruf: morwenda [DATEI oder ORDNER]...
Öffnet das Fenster, das PDF-Dateien in Textdateien umwandelt. Hier genannte Dateien kommen in seine Liste; Ordner fügen die PDF-Dateien darin hinzu.

  -h, --help     diese Hilfe zeigen und enden
      --version  die Version zeigen und enden

Um ohne Fenster umzuwandeln, verwenden Sie morwenda-batch.
</translation>
    </message>
</context>
</TS>
