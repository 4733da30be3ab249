<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" sourcelanguage="en">
<context>
    <name>CommandLine</name>
    <message>
        <source>Light and sound pulsing together at a frequency you choose.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shows this help and exits.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shows the version and exits.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Usage: %1 [options]</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>velmora takes no arguments, not &quot;%1&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Try &quot;velmora --help&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>LibraryTool</name>
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
                   order given; nothing is written if a file is unusable.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shows this help and exits.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Shows the version and exits.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>With pack: adds an 8-bit palette BMP file under NAME.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>With pack: adds a WAV file under NAME.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>Operation aborted</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stream read error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot open file %s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unable to write to %s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Value must be between %d and %d</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot assign a %s to a %s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DIB is invalid</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bitcount in invalid (%d)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PixelFormat in invalid</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Index of the scanning line exceeded the range. (%d)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%s cannot be made</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%s not made</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%s not loaded</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%s cannot be initialized</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%s cannot be locked</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Wave is invalid</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stream has already been opened</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stream not opend</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Resource %s not found</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Form not found</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unknown picture file extension (.%s)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Out of memory</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&apos;%s&apos; is not a valid floating point value</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%s is larger than 1 MiB</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%s is not a regular file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%s, line %d: %s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%s holds no points</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not UTF-8 text</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a point needs a time and a frequency</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>time &quot;%s&quot; is not m:ss or h:mm:ss</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>time %s does not come after %s</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>frequency &quot;%s&quot; is not a number with a decimal point and up to three decimals</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>frequency %s is outside 0.1..35.0</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown setting &quot;%s&quot; (depth, am, fm, volume, half, tone, carrier)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%s must be a whole number from %d to %d</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>half must be on or off</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>tone must be off, binaural or isochronic</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%s is set twice</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>more than %d points</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the last point is at 0:00, so the session has no length</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>RunParameters</name>
    <message>
        <source>Low Delta</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delta</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>High Delta</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Theta/Delta</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Low Theta</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Theta</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>High Theta</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Alpha/Theta</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Low Alpha</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Alpha</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>High Alpha</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Beta/Alpha</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Low Beta</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Beta</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>High Beta</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TAboutBox</name>
    <message>
        <source>About Velmora</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Mail us:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Made by the Velmora team
Caution: flashing light may cause
seizures. Esc stops it at once

Wisit our homepage</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TApplication</name>
    <message>
        <source>Unknown failure</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TMainForm</name>
    <message>
        <source>Velmora Beta 2.4</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The main frequency of refreshing of the<byte value="xd"/>
picture and modulation of sound</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>0.0,&apos; Hz&apos;</source>
        <extracomment>The frequency box&apos;s number format; the unit is the quoted part.</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Right/Left Difference</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Difference  between the left &amp; the right<byte value="xd"/>
side of the picture transforming</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The level of transforming of the picture</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Amplitude modulation of sound</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Frequency modulation of sound</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sound Volume</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Depth</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Oscilator 1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Oscilator 2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Volume</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1/2 Period</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Devision of period of frequency<byte value="xd"/>
modulation by two</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Picture</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Different pictures</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sound</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Different Sounds</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Apply</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The changes of picture and the sound<byte value="xd"/>
will take place only after pressing of<byte value="xd"/>
this button</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Hide Controls</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Velmora Libraries|*.zdl</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>About</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Load Library</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Load Picture</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Load Sound</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>BitMaps|*.bmp</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sounds|*.wav</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show Controls</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Velmora Sessions|*.vsession</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Load Session...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>End Session</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 - %2 elapsed, %3 left</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
