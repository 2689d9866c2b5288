<?xml version='1.0' encoding='utf-8'?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AboutWindow</name>
    <message>
        <source>Made for everyone who types what the keyboard lacks.</source>
        <translation>Für alle, die tippen, was der Tastatur fehlt.</translation>
    </message>
    <message>
        <source>About Ondrel</source>
        <translation>Über Ondrel</translation>
    </message>
</context>
<context>
    <name>CharacterPanel</name>
    <message>
        <source>Backspace</source>
        <translation>Rücktaste</translation>
    </message>
    <message>
        <source>Right-click to copy</source>
        <translation>Rechtsklick zum Kopieren</translation>
    </message>
    <message>
        <source>Copied %1</source>
        <translation>%1 kopiert</translation>
    </message>
    <message>
        <source>back
space</source>
        <extracomment>The Backspace cell's label, two short lines that fit a small square.</extracomment>
        <translation>Rück-
taste</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Show the panel, or hide it.</source>
        <translation>Die Zeichentafel zeigen oder verbergen.</translation>
    </message>
    <message>
        <source>Show the panel.</source>
        <translation>Die Zeichentafel zeigen.</translation>
    </message>
    <message>
        <source>Hide the panel.</source>
        <translation>Die Zeichentafel verbergen.</translation>
    </message>
    <message>
        <source>Open the settings.</source>
        <translation>Die Einstellungen öffnen.</translation>
    </message>
    <message>
        <source>Save the settings and end Ondrel.</source>
        <translation>Die Einstellungen sichern und Ondrel beenden.</translation>
    </message>
    <message>
        <source>Ondrel types the characters that have no key on your keyboard. Started again, it passes its command to the Ondrel that runs already.</source>
        <translation>Ondrel tippt die Zeichen, für die Ihre Tastatur keine Taste hat. Ein weiterer Start reicht seinen Befehl an das bereits laufende Ondrel weiter.</translation>
    </message>
    <message>
        <source>Show this help.</source>
        <translation>Diese Hilfe zeigen.</translation>
    </message>
    <message>
        <source>Show the version.</source>
        <translation>Die Version zeigen.</translation>
    </message>
    <message>
        <source>Unexpected argument '%1'.</source>
        <translation>Unerwartetes Argument „%1“.</translation>
    </message>
    <message>
        <source>Give one of %1, not several.</source>
        <translation>Geben Sie nur eine der Optionen %1 an, nicht mehrere.</translation>
    </message>
    <message>
        <source>Type TEXT into the focused application: the characters themselves, or code points such as U+2554 U+2550.</source>
        <translation>TEXT in die Anwendung mit dem Fokus tippen: die Zeichen selbst oder Codepunkte wie U+2554 U+2550.</translation>
    </message>
    <message>
        <source>TEXT</source>
        <translation>TEXT</translation>
    </message>
</context>
<context>
    <name>FramedPanel</name>
    <message>
        <source>Menu</source>
        <translation>Menü</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>RunKeyAutorun</name>
    <message>
        <source>Cannot write to %1</source>
        <translation>%1 kann nicht geschrieben werden</translation>
    </message>
</context>
<context>
    <name>SettingsDialog</name>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Autorun</source>
        <translation>Autostart</translation>
    </message>
    <message>
        <source>Key for show/hide: </source>
        <translation>Taste zum Zeigen/Verbergen: </translation>
    </message>
    <message>
        <source>Symbol size</source>
        <translation>Zeichengröße</translation>
    </message>
    <message>
        <source>Spacing</source>
        <translation>Abstand</translation>
    </message>
    <message>
        <source>Background color</source>
        <translation>Hintergrundfarbe</translation>
    </message>
    <message>
        <source>Automatic (%1)</source>
        <translation>Automatisch (%1)</translation>
    </message>
    <message>
        <source>Code page</source>
        <translation>Codepage</translation>
    </message>
    <message>
        <source>Ondrel could not stop starting with the desktop: %1</source>
        <translation>Ondrel konnte den Autostart nicht abschalten: %1</translation>
    </message>
    <message>
        <source>Ondrel could not start with the desktop: %1</source>
        <translation>Ondrel konnte den Autostart nicht einrichten: %1</translation>
    </message>
    <message>
        <source>Open pages folder</source>
        <translation>Seitenordner öffnen</translation>
    </message>
    <message>
        <source>Pages of your own: text files whose first line is the page's name and whose other lines hold its characters.</source>
        <translation>Eigene Seiten: Textdateien, deren erste Zeile der Name der Seite ist und deren übrige Zeilen ihre Zeichen enthalten.</translation>
    </message>
</context>
<context>
    <name>SettingsWriter</name>
    <message>
        <source>the folder %1 cannot be created</source>
        <translation>der Ordner %1 lässt sich nicht anlegen</translation>
    </message>
    <message>
        <source>the folder %1 is read-only</source>
        <translation>der Ordner %1 ist schreibgeschützt</translation>
    </message>
    <message>
        <source>%1 is read-only</source>
        <translation>%1 ist schreibgeschützt</translation>
    </message>
    <message>
        <source>%1 could not be written; the disk may be full</source>
        <translation>%1 ließ sich nicht schreiben; vielleicht ist der Datenträger voll</translation>
    </message>
</context>
<context>
    <name>SingleInstance</name>
    <message>
        <source>Ondrel may not write to the folder %1.</source>
        <translation>Ondrel darf nicht in den Ordner %1 schreiben.</translation>
    </message>
    <message>
        <source>Ondrel cannot use its lock file %1.</source>
        <translation>Ondrel kann seine Sperrdatei %1 nicht verwenden.</translation>
    </message>
</context>
<context>
    <name>TrayController</name>
    <message>
        <source>Show/Hide Ondrel</source>
        <translation>Ondrel zeigen/verbergen</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Ondrel</source>
        <translation>Ondrel</translation>
    </message>
    <message>
        <source>Ondrel (&lt;%1&gt;)</source>
        <extracomment>The tray icon's tooltip: the program and its show/hide key.</extracomment>
        <translation>Ondrel (&lt;%1&gt;)</translation>
    </message>
    <message>
        <source>Clicks on the panel cannot type here: %1.</source>
        <translation>Klicks auf die Zeichentafel können hier nichts tippen: %1.</translation>
    </message>
    <message>
        <source>Ondrel could not save its settings: %1</source>
        <translation>Ondrel konnte seine Einstellungen nicht sichern: %1</translation>
    </message>
</context>
<context>
    <name>TypedText</name>
    <message>
        <source>'%1' is no code point; write them as U+2554, separated by spaces.</source>
        <translation>„%1“ ist kein Codepunkt; schreiben Sie sie als U+2554, durch Leerzeichen getrennt.</translation>
    </message>
    <message>
        <source>There is nothing to type.</source>
        <translation>Es gibt nichts zu tippen.</translation>
    </message>
    <message>
        <source>At most %1 characters can be typed at once.</source>
        <translation>Höchstens %1 Zeichen können auf einmal getippt werden.</translation>
    </message>
    <message>
        <source>%1 is half of a surrogate pair, no character.</source>
        <translation>%1 ist die Hälfte eines Surrogatpaars, kein Zeichen.</translation>
    </message>
    <message>
        <source>%1 is a control character; only Tab and newline can be typed.</source>
        <translation>%1 ist ein Steuerzeichen; nur Tabulator und Zeilenumbruch können getippt werden.</translation>
    </message>
</context>
<context>
    <name>WindowSystem</name>
    <message>
        <source>On this desktop Ondrel can type only into X11 applications. Right-click a character to copy it.</source>
        <translation>Auf diesem Desktop kann Ondrel nur in X11-Anwendungen tippen. Klicken Sie ein Zeichen mit rechts an, um es zu kopieren.</translation>
    </message>
    <message>
        <source>On this desktop Ondrel types through IBus, into applications that take text from an input method (most do). Right-click a character to copy it.</source>
        <translation>Auf diesem Desktop tippt Ondrel über IBus, in Anwendungen, die Text von einer Eingabemethode annehmen (die meisten tun das). Klicken Sie ein Zeichen mit rechts an, um es zu kopieren.</translation>
    </message>
    <message>
        <source>Ondrel cannot type on this desktop. Right-click a character to copy it.</source>
        <translation>Auf diesem Desktop kann Ondrel nicht tippen. Klicken Sie ein Zeichen mit rechts an, um es zu kopieren.</translation>
    </message>
</context>
<context>
    <name>XdgAutostart</name>
    <message>
        <source>Cannot remove %1: %2</source>
        <translation>%1 kann nicht entfernt werden: %2</translation>
    </message>
    <message>
        <source>Cannot create the folder %1</source>
        <translation>Der Ordner %1 kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Ondrel is not responding</source>
        <translation>Ondrel antwortet nicht</translation>
    </message>
    <message>
        <source>The running Ondrel refused the command: %1</source>
        <translation>Das laufende Ondrel hat den Befehl abgelehnt: %1</translation>
    </message>
    <message>
        <source>Ondrel is not running</source>
        <translation>Ondrel läuft nicht</translation>
    </message>
    <message>
        <source>Ondrel needs a graphical session</source>
        <translation>Ondrel braucht eine grafische Sitzung</translation>
    </message>
</context>
</TS>