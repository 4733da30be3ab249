<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
<context>
    <name>CommandLine</name>
    <message>
        <source>Light and sound pulsing together at a frequency you choose.</source>
        <translation>Licht und Klang pulsieren gemeinsam mit einer Frequenz Ihrer Wahl.</translation>
    </message>
    <message>
        <source>Shows this help and exits.</source>
        <translation>Zeigt diese Hilfe an und beendet das Programm.</translation>
    </message>
    <message>
        <source>Shows the version and exits.</source>
        <translation>Zeigt die Version an und beendet das Programm.</translation>
    </message>
    <message>
        <source>A session (*.vsession) to load in place of the remembered one, or a stimulus library (*.zdl) to use.</source>
        <translation>Eine Sitzung (*.vsession), die statt der zuletzt verwendeten geladen wird, oder eine Reizbibliothek (*.zdl), die verwendet wird.</translation>
    </message>
    <message>
        <source>Usage: %1 [options] [FILE]</source>
        <translation>Aufruf: %1 [Optionen] [DATEI]</translation>
    </message>
    <message>
        <source>velmora opens one file, not &quot;%1&quot; as well.</source>
        <translation>velmora öffnet nur eine Datei, nicht zusätzlich „%1“.</translation>
    </message>
    <message>
        <source>Try &quot;velmora --help&quot;.</source>
        <translation>Weitere Informationen mit „velmora --help“.</translation>
    </message>
</context>
<context>
    <name>FlashCheck</name>
    <message>
        <source>more than 3 general flashes a second over %1 % of the screen</source>
        <translation>mehr als 3 allgemeine Blitze pro Sekunde auf %1 % des Bildschirms</translation>
    </message>
    <message>
        <source>more than 3 general flashes a second over %1 % of a 10-degree field</source>
        <translation>mehr als 3 allgemeine Blitze pro Sekunde auf %1 % eines 10-Grad-Sichtfelds</translation>
    </message>
    <message>
        <source>more than 3 red flashes a second over %1 % of the screen</source>
        <translation>mehr als 3 rote Blitze pro Sekunde auf %1 % des Bildschirms</translation>
    </message>
    <message>
        <source>more than 3 red flashes a second over %1 % of a 10-degree field</source>
        <translation>mehr als 3 rote Blitze pro Sekunde auf %1 % eines 10-Grad-Sichtfelds</translation>
    </message>
    <message>
        <source>4 or more transitions a second for 4 of 5 seconds over %1 % of the screen</source>
        <translation>4 oder mehr Übergänge pro Sekunde in 4 von 5 Sekunden auf %1 % des Bildschirms</translation>
    </message>
    <message>
        <source>4 or more transitions a second for 4 of 5 seconds over %1 % of a 10-degree field</source>
        <translation>4 oder mehr Übergänge pro Sekunde in 4 von 5 Sekunden auf %1 % eines 10-Grad-Sichtfelds</translation>
    </message>
    <message>
        <source>no part larger than a quarter of the screen or of a 10-degree field flashes more than 3 times a second</source>
        <translation>kein Bereich, der größer als ein Viertel des Bildschirms oder eines 10-Grad-Sichtfelds ist, blinkt öfter als 3-mal pro Sekunde</translation>
    </message>
    <message>
        <source>the picture is not an 8-bit picture</source>
        <translation>das Bild ist kein 8-Bit-Bild</translation>
    </message>
    <message>
        <source>; </source>
        <translation>; </translation>
    </message>
    <message>
        <source>not checked</source>
        <translation>nicht geprüft</translation>
    </message>
    <message>
        <source>over the limits</source>
        <translation>über den Grenzwerten</translation>
    </message>
    <message>
        <source>below the limits</source>
        <translation>unter den Grenzwerten</translation>
    </message>
    <message>
        <source>General flashes: %1 a second</source>
        <translation>Allgemeine Blitze: %1 pro Sekunde</translation>
    </message>
    <message>
        <source>Red flashes: %1 a second</source>
        <translation>Rote Blitze: %1 pro Sekunde</translation>
    </message>
    <message>
        <source>Flashing area: %1 % of the screen, %2 % of a 10-degree field</source>
        <translation>Blinkende Fläche: %1 % des Bildschirms, %2 % eines 10-Grad-Sichtfelds</translation>
    </message>
    <message>
        <source>Extended flashing: %1</source>
        <translation>Anhaltendes Blinken: %1</translation>
    </message>
    <message>
        <source>yes</source>
        <translation>ja</translation>
    </message>
    <message>
        <source>no</source>
        <translation>nein</translation>
    </message>
    <message>
        <source>Display refresh: %1 Hz</source>
        <translation>Bildwiederholrate: %1 Hz</translation>
    </message>
    <message>
        <source>%1 Hz</source>
        <translation>%1 Hz</translation>
    </message>
    <message>
        <source>%1-%2 Hz</source>
        <translation>%1–%2 Hz</translation>
    </message>
    <message>
        <source>depth %1</source>
        <translation>Tiefe %1</translation>
    </message>
    <message>
        <source>depth %1-%2</source>
        <translation>Tiefe %1–%2</translation>
    </message>
    <message>
        <source>%1 general and %2 red flashes a second, %3 % of the screen, %4 % of a 10-degree field</source>
        <translation>%1 allgemeine und %2 rote Blitze pro Sekunde, %3 % des Bildschirms, %4 % eines 10-Grad-Sichtfelds</translation>
    </message>
</context>
<context>
    <name>Import</name>
    <message>
        <source>line</source>
        <translation>Zeile</translation>
    </message>
    <message>
        <source>lines</source>
        <translation>Zeilen</translation>
    </message>
    <message>
        <source>entry</source>
        <translation>Eintrag</translation>
    </message>
    <message>
        <source>entries</source>
        <translation>Einträge</translation>
    </message>
    <message>
        <source>%1 and %2 more</source>
        <translation>%1 und %2 weitere</translation>
    </message>
    <message>
        <source>%1, line %2: more than %3 changes of the tone or the volume</source>
        <translation>%1, Zeile %2: mehr als %3 Änderungen des Tons oder der Lautstärke</translation>
    </message>
    <message>
        <source>the frequency thinned from %1 to %2 points, within %3 Hz of the schedule</source>
        <translation>Frequenzverlauf von %1 auf %2 Punkte ausgedünnt, höchstens %3 Hz vom Ablaufplan entfernt</translation>
    </message>
    <message>
        <source>cannot open %1</source>
        <translation>%1 kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>%1 is not a regular file</source>
        <translation>%1 ist keine reguläre Datei</translation>
    </message>
    <message>
        <source>%1 cannot be read</source>
        <translation>%1 kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>%1 is larger than 4 MiB</source>
        <translation>%1 ist größer als 4 MiB</translation>
    </message>
</context>
<context>
    <name>Library</name>
    <message>
        <source>A picture name is empty</source>
        <translation>Ein Bildname ist leer</translation>
    </message>
    <message>
        <source>picture name &quot;%1&quot; is not valid UTF-8</source>
        <translation>Bildname „%1“ ist kein gültiges UTF-8</translation>
    </message>
    <message>
        <source>picture name &quot;%1&quot; holds a line break or zero byte</source>
        <translation>Bildname „%1“ enthält einen Zeilenumbruch oder ein Nullbyte</translation>
    </message>
    <message>
        <source>picture name &quot;%1&quot; would be read as a resource number</source>
        <translation>Bildname „%1“ würde als Ressourcennummer gelesen</translation>
    </message>
    <message>
        <source>A sound name is empty</source>
        <translation>Ein Klangname ist leer</translation>
    </message>
    <message>
        <source>sound name &quot;%1&quot; is not valid UTF-8</source>
        <translation>Klangname „%1“ ist kein gültiges UTF-8</translation>
    </message>
    <message>
        <source>sound name &quot;%1&quot; holds a line break or zero byte</source>
        <translation>Klangname „%1“ enthält einen Zeilenumbruch oder ein Nullbyte</translation>
    </message>
    <message>
        <source>sound name &quot;%1&quot; would be read as a resource number</source>
        <translation>Klangname „%1“ würde als Ressourcennummer gelesen</translation>
    </message>
    <message>
        <source>it holds no picture</source>
        <translation>kein Bild enthalten</translation>
    </message>
    <message>
        <source>(its info header has %1 bytes; only 12- and 40-byte headers are read)</source>
        <translation>(der Info-Header ist %1 Bytes groß; gelesen werden nur Header mit 12 und 40 Bytes)</translation>
    </message>
    <message>
        <source>%1 is no usable bitmap file: %2</source>
        <translation>%1 ist keine verwendbare Bitmap-Datei: %2</translation>
    </message>
    <message>
        <source>it does not start with a bitmap file header</source>
        <translation>kein Bitmap-Dateikopf am Anfang</translation>
    </message>
    <message>
        <source>it names more than 256 colours</source>
        <translation>mehr als 256 Farben angegeben</translation>
    </message>
    <message>
        <source>Bitmap %1 cannot be read: %2</source>
        <translation>Bitmap %1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>Resource name &quot;%1&quot; cannot be stored</source>
        <translation>Ressourcenname „%1“ kann nicht gespeichert werden</translation>
    </message>
    <message>
        <source>Resource &quot;%1&quot; of type &quot;%2&quot; is given twice</source>
        <translation>Ressource „%1“ vom Typ „%2“ ist doppelt angegeben</translation>
    </message>
</context>
<context>
    <name>LibraryTool</name>
    <message>
        <source>usage: velmora-lib list LIB
       velmora-lib extract LIB DIR
       velmora-lib pack OUT [--picture NAME=FILE.bmp]... [--sound NAME=FILE.wav]...
       velmora-lib flashcheck LIB --picture NAME --frequency F --depth L [--difference]
                  [--window WxH] [--screen WxH] [--refresh HZ] [--reduced] [--json]
       velmora-lib --help | --version
</source>
        <translation>Aufruf: velmora-lib list LIB
        velmora-lib extract LIB DIR
        velmora-lib pack OUT [--picture NAME=FILE.bmp]... [--sound NAME=FILE.wav]...
        velmora-lib flashcheck LIB --picture NAME --frequency F --depth L [--difference]
                   [--window WxH] [--screen WxH] [--refresh HZ] [--reduced] [--json]
        velmora-lib --help | --version
</translation>
    </message>
    <message>
        <source>its format block is too short</source>
        <translation>sein Formatblock ist zu kurz</translation>
    </message>
    <message>
        <source>%1: its resource directory is too large to list: more than %2 entries</source>
        <translation>%1: das Ressourcenverzeichnis ist zu groß zum Auflisten: mehr als %2 Einträge</translation>
    </message>
    <message>
        <source>%1: its resource directory is too large to list: its names come to more than %2 times the size of the file</source>
        <translation>%1: das Ressourcenverzeichnis ist zu groß zum Auflisten: seine Namen sind zusammen mehr als %2-mal so groß wie die Datei</translation>
    </message>
    <message>
        <source>unreadable (%1)</source>
        <translation>unlesbar (%1)</translation>
    </message>
    <message>
        <source>cannot make directory %1</source>
        <translation>Ordner %1 kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>%1 wants NAME=FILE, not &quot;%2&quot;</source>
        <translation>%1 erwartet NAME=DATEI, nicht „%2“</translation>
    </message>
    <message>
        <source>%1 is no usable wave file: %2</source>
        <translation>%1 ist keine verwendbare WAV-Datei: %2</translation>
    </message>
    <message>
        <source>--%1 wants a number from %2 to %3, not &quot;%4&quot;</source>
        <translation>--%1 erwartet eine Zahl von %2 bis %3, nicht „%4“</translation>
    </message>
    <message>
        <source>--%1 wants WIDTHxHEIGHT, not &quot;%2&quot;</source>
        <translation>--%1 erwartet BREITExHÖHE, nicht „%2“</translation>
    </message>
    <message>
        <source>no picture &quot;%1&quot; in %2</source>
        <translation>kein Bild „%1“ in %2</translation>
    </message>
    <message>
        <source>Lists, extracts and packs the stimulus libraries of velmora.

Commands:
  list LIB         Prints both name lists, then every picture with its
                   size and depth and every sound with its format and
                   length.
  extract LIB DIR  Writes every picture as a BMP file, every sound as a
                   WAV file and both name lists into DIR.
  pack OUT         Builds the library OUT from the pictures and sounds
                   given with --picture and --sound, each list in the
                   order given; nothing is written if a file is unusable.
  flashcheck LIB   Grades how strongly the picture NAME flashes at the
                   frequency F and depth L against the limits for
                   photosensitive viewers. Exit status 0 below the limits,
                   3 over them, 2 for bad arguments.</source>
        <translation>Listet, entpackt und packt die Reizbibliotheken von velmora.

Befehle:
  list LIB         Gibt beide Namenslisten aus, dann jedes Bild mit
                   Größe und Farbtiefe und jeden Klang mit Format und
                   Länge.
  extract LIB DIR  Schreibt jedes Bild als BMP-Datei, jeden Klang als
                   WAV-Datei und beide Namenslisten in DIR.
  pack OUT         Erstellt die Bibliothek OUT aus den mit --picture und
                   --sound angegebenen Bildern und Klängen, jede Liste in
                   der angegebenen Reihenfolge; ist eine Datei unbrauchbar,
                   wird nichts geschrieben.
  flashcheck LIB   Bewertet, wie stark das Bild NAME bei der Frequenz F
                   und der Tiefe L blitzt, gemessen an den Grenzwerten für
                   lichtempfindliche Betrachter. Exit-Status 0 unterhalb
                   der Grenzwerte, 3 darüber, 2 bei falschen Argumenten.</translation>
    </message>
    <message>
        <source>Shows this help and exits.</source>
        <translation>Zeigt diese Hilfe an und beendet das Programm.</translation>
    </message>
    <message>
        <source>Shows the version and exits.</source>
        <translation>Zeigt die Version an und beendet das Programm.</translation>
    </message>
    <message>
        <source>With pack: adds an 8-bit palette BMP file under NAME. With flashcheck: the picture NAME.</source>
        <translation>Mit pack: fügt eine 8-Bit-Paletten-BMP-Datei unter NAME hinzu. Mit flashcheck: das Bild NAME.</translation>
    </message>
    <message>
        <source>With pack: adds a WAV file under NAME.</source>
        <translation>Mit pack: fügt eine WAV-Datei unter NAME hinzu.</translation>
    </message>
    <message>
        <source>flashcheck: the main frequency in Hz.</source>
        <translation>flashcheck: die Hauptfrequenz in Hz.</translation>
    </message>
    <message>
        <source>flashcheck: the transform level, 1 to 15.</source>
        <translation>flashcheck: die Verwandlungsstufe, 1 bis 15.</translation>
    </message>
    <message>
        <source>flashcheck: Right/Left Difference on.</source>
        <translation>flashcheck: Rechts/Links-Unterschied ein.</translation>
    </message>
    <message>
        <source>flashcheck: the screen&apos;s size (1920x1080).</source>
        <translation>flashcheck: die Größe des Bildschirms (1920x1080).</translation>
    </message>
    <message>
        <source>flashcheck: the refresh rate (60).</source>
        <translation>flashcheck: die Bildwiederholrate (60).</translation>
    </message>
    <message>
        <source>flashcheck: with reduced flashing.</source>
        <translation>flashcheck: mit verringertem Blinken.</translation>
    </message>
    <message>
        <source>flashcheck: prints one JSON object.</source>
        <translation>flashcheck: gibt ein JSON-Objekt aus.</translation>
    </message>
    <message>
        <source>no command given</source>
        <translation>kein Befehl angegeben</translation>
    </message>
    <message>
        <source>pack takes one output file</source>
        <translation>pack erwartet eine Ausgabedatei</translation>
    </message>
    <message>
        <source>flashcheck takes one library</source>
        <translation>flashcheck erwartet eine Bibliothek</translation>
    </message>
    <message>
        <source>flashcheck wants one --picture, --frequency and --depth</source>
        <translation>flashcheck erwartet je ein --picture, --frequency und --depth</translation>
    </message>
    <message>
        <source>--sound belongs to pack</source>
        <translation>--sound gehört zu pack</translation>
    </message>
    <message>
        <source>--depth wants a whole number</source>
        <translation>--depth erwartet eine ganze Zahl</translation>
    </message>
    <message>
        <source>--%1 belongs to flashcheck</source>
        <translation>--%1 gehört zu flashcheck</translation>
    </message>
    <message>
        <source>--picture and --sound belong to pack</source>
        <translation>--picture und --sound gehören zu pack</translation>
    </message>
    <message>
        <source>list takes one argument</source>
        <translation>list erwartet ein Argument</translation>
    </message>
    <message>
        <source>extract takes two arguments</source>
        <translation>extract erwartet zwei Argumente</translation>
    </message>
    <message>
        <source>unknown command &quot;%1&quot;</source>
        <translation>unbekannter Befehl „%1“</translation>
    </message>
    <message>
        <source>1 channel</source>
        <translation>1 Kanal</translation>
    </message>
    <message>
        <source>%1 channels</source>
        <translation>%1 Kanäle</translation>
    </message>
    <message>
        <source>format %1, %2 Hz, %3 bits, %4, %5 s</source>
        <translation>Format %1, %2 Hz, %3 Bit, %4, %5 s</translation>
    </message>
    <message>
        <source>%1 x %2, %3 bits</source>
        <translation>%1 × %2, %3 Bit</translation>
    </message>
    <message>
        <source>, %1 bytes</source>
        <translation>, %1 Byte</translation>
    </message>
    <message>
        <source>Pictures</source>
        <translation>Bilder</translation>
    </message>
    <message>
        <source>Sounds</source>
        <translation>Klänge</translation>
    </message>
    <message>
        <source>flashcheck: the picture&apos;s size on the screen (%1x%2).</source>
        <translation>flashcheck: die Größe des Bildes auf dem Bildschirm (%1x%2).</translation>
    </message>
    <message>
        <source>cannot read %1</source>
        <translation>%1 kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>cannot write %1</source>
        <translation>%1 kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>%1 is no resource module</source>
        <translation>%1 ist kein Ressourcenmodul</translation>
    </message>
    <message>
        <source>%1 at %2 Hz, depth %3</source>
        <translation>%1 bei %2 Hz, Tiefe %3</translation>
    </message>
    <message>
        <source>, right/left difference</source>
        <translation>, Rechts/Links-Differenz</translation>
    </message>
    <message>
        <source>, reduced flashing</source>
        <translation>, verringertes Blinken</translation>
    </message>
    <message>
        <source>, shown %1 x %2 on a %3 x %4 screen at %5 Hz</source>
        <translation>, angezeigt mit %1 x %2 auf einem Bildschirm mit %3 x %4 bei %5 Hz</translation>
    </message>
    <message>
        <source>%1 general and %2 red flashes a second at most; %3 % of the screen and %4 % of a 10-degree field flash more than 3 times a second; extended flashing: %5.</source>
        <translation>Höchstens %1 allgemeine und %2 rote Blitze pro Sekunde; %3 % des Bildschirms und %4 % eines 10-Grad-Sichtfelds blinken öfter als 3-mal pro Sekunde; anhaltendes Blinken: %5.</translation>
    </message>
    <message>
        <source>yes</source>
        <translation>ja</translation>
    </message>
    <message>
        <source>no</source>
        <translation>nein</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>Operation aborted</source>
        <translation>Vorgang abgebrochen</translation>
    </message>
    <message>
        <source>Stream read error</source>
        <translation>Fehler beim Lesen des Datenstroms</translation>
    </message>
    <message>
        <source>Cannot open file %s</source>
        <translation>Datei %s kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>Unable to write to %s</source>
        <translation>In %s kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>Value must be between %d and %d</source>
        <translation>Der Wert muss zwischen %d und %d liegen</translation>
    </message>
    <message>
        <source>Cannot assign a %s to a %s</source>
        <translation>Ein %s kann keinem %s zugewiesen werden</translation>
    </message>
    <message>
        <source>DIB is invalid</source>
        <translation>DIB ist ungültig</translation>
    </message>
    <message>
        <source>Bitcount in invalid (%d)</source>
        <translation>Ungültige Bittiefe (%d)</translation>
    </message>
    <message>
        <source>PixelFormat in invalid</source>
        <translation>Ungültiges Pixelformat</translation>
    </message>
    <message>
        <source>Index of the scanning line exceeded the range. (%d)</source>
        <translation>Der Index der Bildzeile liegt außerhalb des Bereichs. (%d)</translation>
    </message>
    <message>
        <source>%s cannot be made</source>
        <translation>%s kann nicht erstellt werden</translation>
    </message>
    <message>
        <source>%s not made</source>
        <translation>%s wurde nicht erstellt</translation>
    </message>
    <message>
        <source>%s not loaded</source>
        <translation>%s wurde nicht geladen</translation>
    </message>
    <message>
        <source>%s cannot be initialized</source>
        <translation>%s kann nicht initialisiert werden</translation>
    </message>
    <message>
        <source>%s cannot be locked</source>
        <translation>%s kann nicht gesperrt werden</translation>
    </message>
    <message>
        <source>Wave is invalid</source>
        <translation>Die Wave-Daten sind ungültig</translation>
    </message>
    <message>
        <source>Stream has already been opened</source>
        <translation>Der Datenstrom ist bereits geöffnet</translation>
    </message>
    <message>
        <source>Stream not opend</source>
        <translation>Der Datenstrom ist nicht geöffnet</translation>
    </message>
    <message>
        <source>Resource %s not found</source>
        <translation>Ressource %s nicht gefunden</translation>
    </message>
    <message>
        <source>Form not found</source>
        <translation>Formular nicht gefunden</translation>
    </message>
    <message>
        <source>Unknown picture file extension (.%s)</source>
        <translation>Unbekannte Bilddateiendung (.%s)</translation>
    </message>
    <message>
        <source>Out of memory</source>
        <translation>Nicht genügend Arbeitsspeicher</translation>
    </message>
    <message>
        <source>&apos;%s&apos; is not a valid floating point value</source>
        <translation>„%s“ ist keine gültige Gleitkommazahl</translation>
    </message>
    <message>
        <source>%s is larger than 1 MiB</source>
        <translation>%s ist größer als 1 MiB</translation>
    </message>
    <message>
        <source>%s is not a regular file</source>
        <translation>%s ist keine reguläre Datei</translation>
    </message>
    <message>
        <source>%s cannot be read</source>
        <translation>%s kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>%s, line %d: %s</source>
        <translation>%s, Zeile %d: %s</translation>
    </message>
    <message>
        <source>%s holds no points</source>
        <translation>%s enthält keine Punkte</translation>
    </message>
    <message>
        <source>not UTF-8 text</source>
        <translation>kein UTF-8-Text</translation>
    </message>
    <message>
        <source>a point needs a time and a frequency</source>
        <translation>ein Punkt braucht eine Zeit und eine Frequenz</translation>
    </message>
    <message>
        <source>time &quot;%s&quot; is not m:ss or h:mm:ss</source>
        <translation>Zeit „%s“ hat nicht die Form m:ss oder h:mm:ss</translation>
    </message>
    <message>
        <source>time %s does not come after %s</source>
        <translation>Zeit %s liegt nicht nach %s</translation>
    </message>
    <message>
        <source>frequency &quot;%s&quot; is not a number with a decimal point and up to three decimals</source>
        <translation>Frequenz „%s“ ist keine Zahl mit Dezimalpunkt und bis zu drei Nachkommastellen</translation>
    </message>
    <message>
        <source>frequency %s is outside 0.1..35.0</source>
        <translation>Frequenz %s liegt außerhalb von 0.1..35.0</translation>
    </message>
    <message>
        <source>unknown setting &quot;%s&quot; (depth, am, fm, volume, half, tone, carrier)</source>
        <translation>unbekannte Einstellung „%s“ (depth, am, fm, volume, half, tone, carrier)</translation>
    </message>
    <message>
        <source>%s must be a whole number from %d to %d</source>
        <translation>%s muss eine ganze Zahl von %d bis %d sein</translation>
    </message>
    <message>
        <source>half must be on or off</source>
        <translation>half muss on oder off sein</translation>
    </message>
    <message>
        <source>tone must be off, binaural or isochronic</source>
        <translation>tone muss off, binaural oder isochronic sein</translation>
    </message>
    <message>
        <source>%s is set twice</source>
        <translation>%s ist doppelt gesetzt</translation>
    </message>
    <message>
        <source>more than %d points</source>
        <translation>mehr als %d Punkte</translation>
    </message>
    <message>
        <source>the last point is at 0:00, so the session has no length</source>
        <translation>der letzte Punkt liegt bei 0:00, die Sitzung hat also keine Länge</translation>
    </message>
</context>
<context>
    <name>RenderTool</name>
    <message>
        <source>Stimulus library (default main.zdl, looked for beside the program, in its data directory, then in the current directory).</source>
        <translation>Reizbibliothek (Vorgabe main.zdl; gesucht neben dem Programm, in seinem Datenordner, dann im aktuellen Ordner).</translation>
    </message>
    <message>
        <source>Follow a session file (*.vsession) from its start to its end.</source>
        <translation>Einer Sitzungsdatei (*.vsession) von Anfang bis Ende folgen.</translation>
    </message>
    <message>
        <source>Main frequency without a session, 0.1..35.0 (default 7.0).</source>
        <translation>Hauptfrequenz ohne Sitzung, 0.1..35.0 (Vorgabe 7.0).</translation>
    </message>
    <message>
        <source>Length without a session, m:ss or h:mm:ss.</source>
        <translation>Länge ohne Sitzung, m:ss oder h:mm:ss.</translation>
    </message>
    <message>
        <source>Sound of the library (default: the first it lists).</source>
        <translation>Klang der Bibliothek (Vorgabe: der erste, den sie auflistet).</translation>
    </message>
    <message>
        <source>Oscilator 1, the balance swing, 0..5 (default 0).</source>
        <translation>Oszillator 1, das Pendeln der Balance, 0..5 (Vorgabe 0).</translation>
    </message>
    <message>
        <source>Oscilator 2, the playback-rate swing, 0..10 (default 0).</source>
        <translation>Oszillator 2, das Pendeln der Wiedergabegeschwindigkeit, 0..10 (Vorgabe 0).</translation>
    </message>
    <message>
        <source>Volume knob, 0..10 (default 10).</source>
        <translation>Lautstärkeregler, 0..10 (Vorgabe 10).</translation>
    </message>
    <message>
        <source>&quot;1/2 Period&quot; (default off).</source>
        <translation>„1/2 Periode“ (Vorgabe off).</translation>
    </message>
    <message>
        <source>The tone at the main frequency under the sound (default off).</source>
        <translation>Der Ton mit der Hauptfrequenz unter dem Klang (Vorgabe off).</translation>
    </message>
    <message>
        <source>The tone&apos;s carrier, 50..1000 (default 200).</source>
        <translation>Die Trägerfrequenz des Tons, 50..1000 (Vorgabe 200).</translation>
    </message>
    <message>
        <source>The tone&apos;s level against the sound, -60..0 (default -6).</source>
        <translation>Der Pegel des Tons gegenüber dem Klang, -60..0 (Vorgabe -6).</translation>
    </message>
    <message>
        <source>Draw the session&apos;s frequency over time into a PNG file, as the program&apos;s Session window shows it (with -o the sound as well).</source>
        <translation>Den Frequenzverlauf der Sitzung in eine PNG-Datei zeichnen, wie ihn das Sitzungsfenster des Programms zeigt (mit -o zusätzlich den Klang).</translation>
    </message>
    <message>
        <source>With --flash-report: the library&apos;s picture to check.</source>
        <translation>Mit --flash-report: das zu prüfende Bild der Bibliothek.</translation>
    </message>
    <message>
        <source>With --flash-report: the Depth knob, the transform level, 1..15 (default 1).</source>
        <translation>Mit --flash-report: der Tiefe-Regler, die Verwandlungsstufe, 1..15 (Vorgabe 1).</translation>
    </message>
    <message>
        <source>With --flash-report: &quot;Right/Left Difference&quot; (default off).</source>
        <translation>Mit --flash-report: „Rechts/Links-Unterschied“ (Vorgabe off).</translation>
    </message>
    <message>
        <source>With --flash-report: reduced flashing (default off).</source>
        <translation>Mit --flash-report: verringertes Blinken (Vorgabe off).</translation>
    </message>
    <message>
        <source>With --flash-report: the screen&apos;s size (default 1920x1080).</source>
        <translation>Mit --flash-report: die Größe des Bildschirms (Vorgabe 1920x1080).</translation>
    </message>
    <message>
        <source>With --flash-report: the display&apos;s refresh rate (default 60).</source>
        <translation>Mit --flash-report: die Bildwiederholrate des Bildschirms (Vorgabe 60).</translation>
    </message>
    <message>
        <source>%1 takes a whole number from 0 to %2</source>
        <translation>%1 erwartet eine ganze Zahl von 0 bis %2</translation>
    </message>
    <message>
        <source>Shows this help and exits.</source>
        <translation>Zeigt diese Hilfe an und beendet das Programm.</translation>
    </message>
    <message>
        <source>Shows the version and exits.</source>
        <translation>Zeigt die Version an und beendet das Programm.</translation>
    </message>
    <message>
        <source>Grade how strongly the picture flashes, minute by minute, instead of rendering.</source>
        <translation>Statt zu rendern Minute für Minute bewerten, wie stark das Bild blinkt.</translation>
    </message>
    <message>
        <source>unexpected argument &quot;%1&quot;</source>
        <translation>unerwartetes Argument „%1“</translation>
    </message>
    <message>
        <source>%1 is given twice</source>
        <translation>%1 ist doppelt angegeben</translation>
    </message>
    <message>
        <source>%1 takes on or off</source>
        <translation>%1 erwartet on oder off</translation>
    </message>
    <message>
        <source>--session sets the frequency and the length itself; leave out --frequency and --duration</source>
        <translation>--session legt Frequenz und Länge selbst fest; lassen Sie --frequency und --duration weg</translation>
    </message>
    <message>
        <source>give either --session or --duration</source>
        <translation>geben Sie entweder --session oder --duration an</translation>
    </message>
    <message>
        <source>--duration takes a length of m:ss or h:mm:ss, above 0:00</source>
        <translation>--duration erwartet eine Länge der Form m:ss oder h:mm:ss, größer als 0:00</translation>
    </message>
    <message>
        <source>--frequency takes 0.1 to 35.0 with up to three decimals</source>
        <translation>--frequency erwartet 0.1 bis 35.0 mit bis zu drei Nachkommastellen</translation>
    </message>
    <message>
        <source>%1 belongs to --flash-report</source>
        <translation>%1 gehört zu --flash-report</translation>
    </message>
    <message>
        <source>--plot draws a session: give --session</source>
        <translation>--plot zeichnet eine Sitzung: geben Sie --session an</translation>
    </message>
    <message>
        <source>no output file (-o) given</source>
        <translation>keine Ausgabedatei (-o) angegeben</translation>
    </message>
    <message>
        <source>-o - writes WAV data, which a terminal cannot show; send it into a pipe or give a file</source>
        <translation>-o - schreibt WAV-Daten, die ein Terminal nicht anzeigen kann; leiten Sie sie in eine Pipe oder geben Sie eine Datei an</translation>
    </message>
    <message>
        <source>--tone takes off, binaural or isochronic</source>
        <translation>--tone erwartet off, binaural oder isochronic</translation>
    </message>
    <message>
        <source>--carrier takes a whole number of hertz from 50 to 1000</source>
        <translation>--carrier erwartet eine ganze Zahl von Hertz von 50 bis 1000</translation>
    </message>
    <message>
        <source>--tone-level takes a whole number of decibels from -60 to 0</source>
        <translation>--tone-level erwartet eine ganze Zahl von Dezibel von -60 bis 0</translation>
    </message>
    <message>
        <source>%1 takes WIDTHxHEIGHT in pixels, as 1920x1080</source>
        <translation>%1 erwartet BREITExHÖHE in Pixeln, etwa 1920x1080</translation>
    </message>
    <message>
        <source>%1 is for rendering sound; --flash-report prints its report to the terminal</source>
        <translation>%1 dient dem Rendern von Klang; --flash-report gibt seinen Bericht im Terminal aus</translation>
    </message>
    <message>
        <source>--flash-report needs the --picture to check</source>
        <translation>--flash-report braucht das zu prüfende Bild (--picture)</translation>
    </message>
    <message>
        <source>--depth takes a whole number from 1 to 15</source>
        <translation>--depth erwartet eine ganze Zahl von 1 bis 15</translation>
    </message>
    <message>
        <source>--refresh takes the display&apos;s refresh rate, 1 to 1000 Hz</source>
        <translation>--refresh erwartet die Bildwiederholrate des Bildschirms, 1 bis 1000 Hz</translation>
    </message>
    <message>
        <source>Below the limits throughout.</source>
        <translation>Durchgehend unterhalb der Grenzwerte.</translation>
    </message>
    <message>
        <source>Over the limits in %1 of %2 minutes.</source>
        <translation>In %1 von %2 Minuten über den Grenzwerten.</translation>
    </message>
    <message>
        <source>cannot write the picture %1</source>
        <translation>das Bild %1 kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>The same as --import.</source>
        <translation>Dasselbe wie --import.</translation>
    </message>
    <message>
        <source>%1 takes -o FILE.vsession and nothing else</source>
        <translation>%1 erwartet -o DATEI.vsession und sonst nichts</translation>
    </message>
    <message>
        <source>With --flash-report: the picture&apos;s size on the screen (default 576x246).</source>
        <translation>Mit --flash-report: die Größe des Bildes auf dem Bildschirm (Vorgabe 576x246).</translation>
    </message>
    <message>
        <source>Convert another program&apos;s schedule (a binaural-beat .sbg file, a preset .spsq file or its JSON sequence, a .gnaural voice schedule) into the session file -o; the format is told by the content; what a session cannot hold is listed on standard error.</source>
        <translation>Den Ablaufplan eines anderen Programms (eine Binaural-Beat-Datei .sbg, eine Preset-Datei .spsq oder deren JSON-Ablauf, einen Stimmen-Ablaufplan .gnaural) in die Sitzungsdatei -o umwandeln; das Format wird am Inhalt erkannt; was eine Sitzung nicht aufnehmen kann, wird in der Standardfehlerausgabe aufgeführt.</translation>
    </message>
    <message>
        <source>nothing to check</source>
        <translation>nichts zu prüfen</translation>
    </message>
    <message>
        <source>%1 has no usable picture &quot;%2&quot;: %3</source>
        <translation>%1 enthält kein verwendbares Bild „%2“: %3</translation>
    </message>
    <message>
        <source>%1: the picture is not an 8-bit picture</source>
        <translation>%1: das Bild ist kein 8-Bit-Bild</translation>
    </message>
    <message>
        <source>usage: velmora-render [OPTION]... --session FILE -o OUT.wav
       velmora-render [OPTION]... [--frequency HZ] --duration TIME -o OUT.wav
       velmora-render --session FILE --plot OUT.png [-o OUT.wav]
       velmora-render --flash-report --picture NAME [OPTION]... --session FILE
       velmora-render --import FILE -o OUT.vsession
       velmora-render --extract RENDERED -o OUT.vsession
Try velmora-render --help for more.
</source>
        <translation>Aufruf: velmora-render [OPTION]... --session DATEI -o AUS.wav
        velmora-render [OPTION]... [--frequency HZ] --duration ZEIT -o AUS.wav
        velmora-render --session DATEI --plot AUS.png [-o AUS.wav]
        velmora-render --flash-report --picture NAME [OPTION]... --session DATEI
        velmora-render --import DATEI -o AUS.vsession
        velmora-render --extract GERENDERT -o AUS.vsession
Weitere Informationen mit velmora-render --help.
</translation>
    </message>
    <message>
        <source>The file to write (replaced if it exists); its extension chooses the format: .wav, .flac, .ogg, .opus or .mp3 (WAV for any other); - writes WAV data to standard output.</source>
        <translation>Die zu schreibende Datei (wird ersetzt, falls vorhanden); ihre Endung bestimmt das Format: .wav, .flac, .ogg, .opus oder .mp3 (WAV bei jeder anderen); - schreibt WAV-Daten in die Standardausgabe.</translation>
    </message>
    <message>
        <source>The file&apos;s format whatever its extension: WAV with 16-bit (wav, s16) or 32-bit float samples (f32), FLAC (16-bit, the same samples as the WAV), or the lossy Ogg Vorbis, Opus (resampled to 48 kHz, as Opus is always played) or MP3.</source>
        <translation>Das Format der Datei, unabhängig von ihrer Endung: WAV mit 16-Bit- (wav, s16) oder 32-Bit-Gleitkomma-Samples (f32), FLAC (16 Bit, dieselben Samples wie im WAV) oder die verlustbehafteten Formate Ogg Vorbis, Opus (auf 48 kHz umgerechnet, da Opus stets so abgespielt wird) und MP3.</translation>
    </message>
    <message>
        <source>Take the session back out of a rendered file into the session file -o, with the knobs and the tone it was rendered with written into its first point; the library, sound and tone level it was rendered with are told on standard error. Rendering it with those gives the same WAV or FLAC file.</source>
        <translation>Die Sitzung aus einer gerenderten Datei zurück in die Sitzungsdatei -o holen, wobei die Regler und der Ton, mit denen gerendert wurde, in ihren ersten Punkt geschrieben werden; Bibliothek, Klang und Tonpegel des Renderns werden in der Standardfehlerausgabe genannt. Mit diesen gerendert, ergibt sie dieselbe WAV- oder FLAC-Datei.</translation>
    </message>
    <message>
        <source>Renders the sound Velmora plays to a sound file, exactly as the program would play it with perfect timers: the same modulation, frequency rules and mixing. With a session the knob and tone options give the settings as they stand when the run starts; the session&apos;s points set them from there; a setting of the first point stands from the first frame. The same arguments always give the same WAV and FLAC file (Ogg streams carry a serial number of their own). Every file keeps the session and the settings it was rendered with (a &quot;vlms&quot; chunk in WAV, the comment tag in the others), which --extract takes back out.

--flash-report prints instead, for each minute of the session, the frequencies, the depths and how strongly the picture flashes; its exit status is 3 when any minute is over the limits for photosensitive viewers. Bad arguments give exit status 2, failures 1.</source>
        <translation>Schreibt den Klang, den Velmora spielt, in eine Audiodatei, genau so, wie das Programm ihn mit perfekten Zeitgebern spielen würde: dieselbe Modulation, dieselben Frequenzregeln, dieselbe Mischung. Mit einer Sitzung geben die Regler- und Tonoptionen die Einstellungen beim Start des Durchlaufs an; danach setzen die Punkte der Sitzung sie; was der erste Punkt setzt, gilt ab dem ersten Frame. Dieselben Argumente ergeben immer dieselbe WAV- und FLAC-Datei (Ogg-Streams tragen jeweils eine eigene Seriennummer). Jede Datei enthält die Sitzung und die Einstellungen, mit denen sie gerendert wurde (einen „vlms“-Chunk in WAV, sonst das Kommentar-Tag), die --extract wieder herausholt.

--flash-report gibt stattdessen für jede Minute der Sitzung die Frequenzen, die Tiefen und die Stärke des Blinkens aus; der Exit-Status ist 3, wenn eine Minute die Grenzwerte für lichtempfindliche Betrachter überschreitet. Falsche Argumente ergeben Exit-Status 2, Fehler 1.</translation>
    </message>
    <message>
        <source>--format takes wav, s16, f32, flac, ogg, opus or mp3</source>
        <translation>--format erwartet wav, s16, f32, flac, ogg, opus oder mp3</translation>
    </message>
    <message>
        <source>-o - writes WAV only; give a file for %1</source>
        <translation>-o - schreibt nur WAV; für %1 bitte eine Datei angeben</translation>
    </message>
    <message>
        <source>Rendered by velmora-render %1 from --library %2 --sound %3 --tone-level %4</source>
        <translation>Gerendert von velmora-render %1 mit --library %2 --sound %3 --tone-level %4</translation>
    </message>
    <message>
        <source>The session is too long to be kept in a %1 file; the file holds the sound only.</source>
        <translation>Die Sitzung ist zu lang, um in einer %1-Datei mitgespeichert zu werden; die Datei enthält nur den Klang.</translation>
    </message>
    <message>
        <source>%1 is lossy: the file does not hold the exact sound; WAV and FLAC do.</source>
        <translation>%1 ist verlustbehaftet: Die Datei enthält nicht den exakten Klang; WAV und FLAC schon.</translation>
    </message>
</context>
<context>
    <name>RunParameters</name>
    <message>
        <source>Low Delta</source>
        <translation>Niedriges Delta</translation>
    </message>
    <message>
        <source>Delta</source>
        <translation>Delta</translation>
    </message>
    <message>
        <source>High Delta</source>
        <translation>Hohes Delta</translation>
    </message>
    <message>
        <source>Theta/Delta</source>
        <translation>Theta/Delta</translation>
    </message>
    <message>
        <source>Low Theta</source>
        <translation>Niedriges Theta</translation>
    </message>
    <message>
        <source>Theta</source>
        <translation>Theta</translation>
    </message>
    <message>
        <source>High Theta</source>
        <translation>Hohes Theta</translation>
    </message>
    <message>
        <source>Alpha/Theta</source>
        <translation>Alpha/Theta</translation>
    </message>
    <message>
        <source>Low Alpha</source>
        <translation>Niedriges Alpha</translation>
    </message>
    <message>
        <source>Alpha</source>
        <translation>Alpha</translation>
    </message>
    <message>
        <source>High Alpha</source>
        <translation>Hohes Alpha</translation>
    </message>
    <message>
        <source>Beta/Alpha</source>
        <translation>Beta/Alpha</translation>
    </message>
    <message>
        <source>Low Beta</source>
        <translation>Niedriges Beta</translation>
    </message>
    <message>
        <source>Beta</source>
        <translation>Beta</translation>
    </message>
    <message>
        <source>High Beta</source>
        <translation>Hohes Beta</translation>
    </message>
</context>
<context>
    <name>TAboutBox</name>
    <message>
        <source>About Velmora</source>
        <translation>Über Velmora</translation>
    </message>
    <message>
        <source>Made by the Velmora team
Caution: flashing light may cause
seizures. Esc stops it at once

Wisit our homepage</source>
        <translation>Entwickelt vom Velmora-Team
Vorsicht: Blinklicht kann Anfälle
auslösen. Esc hält es sofort an

Besuchen Sie unsere Website</translation>
    </message>
    <message>
        <source>Mail us:</source>
        <translation>Schreiben Sie uns:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>TApplication</name>
    <message>
        <source>Unknown failure</source>
        <translation>Unbekannter Fehler</translation>
    </message>
</context>
<context>
    <name>TFrameStats</name>
    <message>
        <source>synchronised</source>
        <translation>synchronisiert</translation>
    </message>
    <message>
        <source>timestamps only</source>
        <translation>nur Zeitstempel</translation>
    </message>
    <message>
        <source>no presentation feedback</source>
        <translation>keine Rückmeldung der Darstellung</translation>
    </message>
    <message>
        <source>unsynchronised</source>
        <translation>nicht synchronisiert</translation>
    </message>
</context>
<context>
    <name>TJournalWindow</name>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Esc</source>
        <translation>Esc</translation>
    </message>
    <message>
        <source>Session end</source>
        <translation>Sitzungsende</translation>
    </message>
    <message>
        <source>Signal</source>
        <translation>Signal</translation>
    </message>
    <message>
        <source>Window closed</source>
        <translation>Fenster geschlossen</translation>
    </message>
    <message>
        <source>Cut off</source>
        <translation>Abgebrochen</translation>
    </message>
    <message>
        <source>%1  Bookmark %2</source>
        <translation>%1  Lesezeichen %2</translation>
    </message>
    <message>
        <source>Journal</source>
        <translation>Journal</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Beginn</translation>
    </message>
    <message>
        <source>Length</source>
        <translation>Dauer</translation>
    </message>
    <message>
        <source>Session or frequency</source>
        <translation>Sitzung oder Frequenz</translation>
    </message>
    <message>
        <source>End</source>
        <translation>Ende</translation>
    </message>
    <message>
        <source>Note...</source>
        <translation>Notiz …</translation>
    </message>
    <message>
        <source>Save as Session...</source>
        <translation>Als Sitzung speichern …</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Delete All</source>
        <translation>Alle löschen</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Save as Session</source>
        <translation>Als Sitzung speichern</translation>
    </message>
    <message>
        <source>Velmora Sessions (*.vsession)</source>
        <translation>Velmora-Sitzungen (*.vsession)</translation>
    </message>
    <message>
        <source>Note</source>
        <translation>Notiz</translation>
    </message>
    <message>
        <source>A short note:</source>
        <translation>Eine kurze Notiz:</translation>
    </message>
    <message>
        <source>Delete every run of the journal?</source>
        <translation>Alle Durchläufe aus dem Journal löschen?</translation>
    </message>
    <message>
        <source>%1 Hz</source>
        <translation>%1 Hz</translation>
    </message>
    <message>
        <source>Running</source>
        <translation>Läuft</translation>
    </message>
    <message>
        <source>Run of %1</source>
        <translation>Durchlauf vom %1</translation>
    </message>
</context>
<context>
    <name>TMainFlash</name>
    <message>
        <source>Flash Check...</source>
        <translation>Blinkprüfung …</translation>
    </message>
    <message>
        <source>Reduced Flashing</source>
        <translation>Verringertes Blinken</translation>
    </message>
    <message>
        <source>● Flashing: over</source>
        <translation>● Blinken: darüber</translation>
    </message>
    <message>
        <source>● Flashing: below</source>
        <translation>● Blinken: darunter</translation>
    </message>
    <message>
        <source>Flash check: %1</source>
        <translation>Blinkprüfung: %1</translation>
    </message>
    <message>
        <source>Flash Check</source>
        <translation>Blinkprüfung</translation>
    </message>
    <message>
        <source>a main frequency of %1 Hz or less</source>
        <translation>eine Hauptfrequenz von höchstens %1 Hz</translation>
    </message>
    <message>
        <source>a picture %1 % of its present size or smaller</source>
        <translation>ein Bild mit höchstens %1 % seiner jetzigen Größe</translation>
    </message>
    <message>
        <source>Nothing tried brings this run under the limits.</source>
        <translation>Keine der erprobten Änderungen bringt diesen Durchlauf unter die Grenzwerte.</translation>
    </message>
    <message>
        <source>Under the limits with: %1.</source>
        <translation>Unter den Grenzwerten mit: %1.</translation>
    </message>
    <message>
        <source>; or </source>
        <translation>; oder </translation>
    </message>
    <message>
        <source>Photosensitivity warning</source>
        <translation>Warnung zur Lichtempfindlichkeit</translation>
    </message>
    <message>
        <source>This program shows a flashing picture. Flashing light can cause seizures in people with photosensitive epilepsy, also in people who never had one before. Do not use it if you or your family have a history of epilepsy or seizures. Stop at once and see a doctor if you feel dizzy, have altered vision, twitching or any discomfort.</source>
        <translation>Dieses Programm zeigt ein blinkendes Bild. Blinkendes Licht kann bei Menschen mit fotosensitiver Epilepsie Anfälle auslösen, auch bei Menschen, die noch nie einen Anfall hatten. Verwenden Sie es nicht, wenn bei Ihnen oder in Ihrer Familie Epilepsie oder Krampfanfälle bekannt sind. Hören Sie sofort auf und suchen Sie einen Arzt auf, wenn Ihnen schwindlig wird, Sie Sehstörungen oder Muskelzuckungen bemerken oder sich unwohl fühlen.</translation>
    </message>
    <message>
        <source>The present settings are %1.</source>
        <translation>Die aktuellen Einstellungen sind: %1.</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Starten</translation>
    </message>
    <message>
        <source>The session is below the limits throughout.</source>
        <translation>Die Sitzung bleibt durchgehend unter den Grenzwerten.</translation>
    </message>
    <message>
        <source>The session is over the limits in %1 of its %2 minutes.</source>
        <translation>Die Sitzung überschreitet die Grenzwerte in %1 ihrer %2 Minuten.</translation>
    </message>
    <message>
        <source>Its worst minute, %1: %2</source>
        <translation>Ihre ungünstigste Minute, %1: %2</translation>
    </message>
    <message>
        <source>a session that stays at %1 Hz or less</source>
        <translation>eine Sitzung, die bei höchstens %1 Hz bleibt</translation>
    </message>
    <message>
        <source>a session that stays at %1 Hz</source>
        <translation>eine Sitzung, die bei %1 Hz bleibt</translation>
    </message>
    <message>
        <source>a main frequency of %1 Hz</source>
        <translation>eine Hauptfrequenz von %1 Hz</translation>
    </message>
</context>
<context>
    <name>TMainForm</name>
    <message>
        <source>Velmora Libraries|*.zdl</source>
        <translation>Velmora-Bibliotheken|*.zdl</translation>
    </message>
    <message>
        <source>The main frequency of refreshing of the<byte value="xd"/>
picture and modulation of sound</source>
        <translation>Die Hauptfrequenz, mit der sich das Bild<byte value="xd"/>
erneuert und der Klang moduliert wird</translation>
    </message>
    <message>
        <source>0.0,&apos; Hz&apos;</source>
        <extracomment>The frequency box&apos;s number format; the unit is the quoted part.</extracomment>
        <translation>0.0,&apos; Hz&apos;</translation>
    </message>
    <message>
        <source>Right/Left Difference</source>
        <translation>Rechts/Links-Differenz</translation>
    </message>
    <message>
        <source>Difference  between the left &amp; the right<byte value="xd"/>
side of the picture transforming</source>
        <translation>Unterschied zwischen der Verwandlung der<byte value="xd"/>
linken und der rechten Bildhälfte</translation>
    </message>
    <message>
        <source>The level of transforming of the picture</source>
        <translation>Die Stärke der Bildverwandlung</translation>
    </message>
    <message>
        <source>Amplitude modulation of sound</source>
        <translation>Amplitudenmodulation des Klangs</translation>
    </message>
    <message>
        <source>Frequency modulation of sound</source>
        <translation>Frequenzmodulation des Klangs</translation>
    </message>
    <message>
        <source>Sound Volume</source>
        <translation>Lautstärke des Klangs</translation>
    </message>
    <message>
        <source>Depth</source>
        <translation>Tiefe</translation>
    </message>
    <message>
        <source>Oscilator 1</source>
        <translation>Oszillator 1</translation>
    </message>
    <message>
        <source>Oscilator 2</source>
        <translation>Oszillator 2</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Lautstärke</translation>
    </message>
    <message>
        <source>1/2 Period</source>
        <translation>½ Periode</translation>
    </message>
    <message>
        <source>Devision of period of frequency<byte value="xd"/>
modulation by two</source>
        <translation>Halbiert die Periode der<byte value="xd"/>
Frequenzmodulation</translation>
    </message>
    <message>
        <source>Picture</source>
        <translation>Bild</translation>
    </message>
    <message>
        <source>Different pictures</source>
        <translation>Verschiedene Bilder</translation>
    </message>
    <message>
        <source>Sound</source>
        <translation>Klang</translation>
    </message>
    <message>
        <source>Different Sounds</source>
        <translation>Verschiedene Klänge</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Laden</translation>
    </message>
    <message>
        <source>The changes of picture and the sound<byte value="xd"/>
will take place only after pressing of<byte value="xd"/>
this button</source>
        <translation>Geändertes Bild und geänderter Klang<byte value="xd"/>
werden erst nach einem Klick auf<byte value="xd"/>
diese Schaltfläche übernommen</translation>
    </message>
    <message>
        <source>Hide Controls</source>
        <translation>Ausblenden</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>Load Library</source>
        <translation>Bibliothek laden</translation>
    </message>
    <message>
        <source>Load Picture</source>
        <translation>Bild laden</translation>
    </message>
    <message>
        <source>Load Sound</source>
        <translation>Klang laden</translation>
    </message>
    <message>
        <source>BitMaps|*.bmp</source>
        <translation>Bitmaps|*.bmp</translation>
    </message>
    <message>
        <source>Sounds|*.wav</source>
        <translation>Klänge|*.wav</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Velmora Sessions|*.vsession</source>
        <translation>Velmora-Sitzungen|*.vsession</translation>
    </message>
    <message>
        <source>Load Session...</source>
        <translation>Sitzung laden …</translation>
    </message>
    <message>
        <source>End Session</source>
        <translation>Sitzung beenden</translation>
    </message>
    <message>
        <source>Sessions</source>
        <translation>Sitzungen</translation>
    </message>
    <message>
        <source>Session...</source>
        <translation>Sitzung …</translation>
    </message>
    <message>
        <source>%1 - %2 elapsed, %3 left</source>
        <translation>%1 – %2 vergangen, %3 verbleibend</translation>
    </message>
    <message>
        <source>Show Controls</source>
        <translation>Einblenden</translation>
    </message>
    <message>
        <source>Velmora Beta 2.4</source>
        <translation>Velmora Beta 2.4</translation>
    </message>
    <message>
        <source>Session</source>
        <translation>Sitzung</translation>
    </message>
    <message>
        <source>Session - %1</source>
        <translation>Sitzung – %1</translation>
    </message>
    <message>
        <source>Main frequency</source>
        <translation>Hauptfrequenz</translation>
    </message>
    <message>
        <source>Brainwave band</source>
        <translation>Hirnwellenbereich</translation>
    </message>
    <message>
        <source>%1, running</source>
        <translation>%1, läuft</translation>
    </message>
    <message>
        <source>%1, stopped</source>
        <translation>%1, angehalten</translation>
    </message>
    <message>
        <source>%1 (shifted %2 Hz)</source>
        <translation>%1 (verschoben um %2 Hz)</translation>
    </message>
    <message>
        <source>Schedules|*.sbg;*.spsq;*.json;*.gnaural|All Files|*</source>
        <translation>Ablaufpläne|*.sbg;*.spsq;*.json;*.gnaural|Alle Dateien|*</translation>
    </message>
    <message>
        <source>Import Session...</source>
        <translation>Sitzung importieren …</translation>
    </message>
    <message>
        <source>Import Session</source>
        <translation>Sitzung importieren</translation>
    </message>
    <message>
        <source>%1 was imported as %2. What a session cannot hold was left out or changed:</source>
        <translation>%1 wurde als %2 importiert. Was eine Sitzung nicht aufnehmen kann, wurde weggelassen oder geändert:</translation>
    </message>
</context>
<context>
    <name>TMainJournal</name>
    <message>
        <source>Bookmark</source>
        <translation>Lesezeichen</translation>
    </message>
    <message>
        <source>Journal...</source>
        <translation>Journal …</translation>
    </message>
</context>
<context>
    <name>TMainTone</name>
    <message>
        <source>Tone</source>
        <translation>Ton</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Aus</translation>
    </message>
    <message>
        <source>Binaural Beat</source>
        <translation>Binauraler Beat</translation>
    </message>
    <message>
        <source>Isochronic Pulse</source>
        <translation>Isochroner Puls</translation>
    </message>
    <message>
        <source>Carrier...</source>
        <translation>Trägerfrequenz …</translation>
    </message>
    <message>
        <source>Carrier</source>
        <translation>Trägerfrequenz</translation>
    </message>
    <message>
        <source>The tone&apos;s carrier (Hz):</source>
        <translation>Trägerfrequenz des Tons (Hz):</translation>
    </message>
</context>
</TS>
