<?xml version='1.0' encoding='utf-8'?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>AboutWindow</name>
    <message>
        <source>Made for everyone who types what the keyboard lacks.</source>
        <translation>Для всех, кто набирает то, чего нет на клавиатуре.</translation>
    </message>
    <message>
        <source>About Ondrel</source>
        <translation>О программе Ondrel</translation>
    </message>
</context>
<context>
    <name>CharacterPanel</name>
    <message>
        <source>Backspace</source>
        <translation>Забой</translation>
    </message>
    <message>
        <source>Right-click to copy</source>
        <translation>Правый щелчок — копировать</translation>
    </message>
    <message>
        <source>Copied %1</source>
        <translation>Скопировано: %1</translation>
    </message>
    <message>
        <source>back
space</source>
        <extracomment>The Backspace cell's label, two short lines that fit a small square.</extracomment>
        <translation>←
забой</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Show the panel, or hide it.</source>
        <translation>Показать или скрыть панель.</translation>
    </message>
    <message>
        <source>Show the panel.</source>
        <translation>Показать панель.</translation>
    </message>
    <message>
        <source>Hide the panel.</source>
        <translation>Скрыть панель.</translation>
    </message>
    <message>
        <source>Open the settings.</source>
        <translation>Открыть настройки.</translation>
    </message>
    <message>
        <source>Save the settings and end Ondrel.</source>
        <translation>Сохранить настройки и завершить Ondrel.</translation>
    </message>
    <message>
        <source>Ondrel types the characters that have no key on your keyboard. Started again, it passes its command to the Ondrel that runs already.</source>
        <translation>Ondrel набирает символы, для которых на клавиатуре нет клавиш. При повторном запуске он передаёт команду уже запущенному Ondrel.</translation>
    </message>
    <message>
        <source>Show this help.</source>
        <translation>Показать эту справку.</translation>
    </message>
    <message>
        <source>Show the version.</source>
        <translation>Показать версию.</translation>
    </message>
    <message>
        <source>Unexpected argument '%1'.</source>
        <translation>Неожиданный аргумент «%1».</translation>
    </message>
    <message>
        <source>Give one of %1, not several.</source>
        <translation>Укажите только один из параметров %1.</translation>
    </message>
    <message>
        <source>Type TEXT into the focused application: the characters themselves, or code points such as U+2554 U+2550.</source>
        <translation>Напечатать ТЕКСТ в активном приложении: сами символы или кодовые точки вида U+2554 U+2550.</translation>
    </message>
    <message>
        <source>TEXT</source>
        <translation>ТЕКСТ</translation>
    </message>
</context>
<context>
    <name>FramedPanel</name>
    <message>
        <source>Menu</source>
        <translation>Меню</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
</context>
<context>
    <name>RunKeyAutorun</name>
    <message>
        <source>Cannot write to %1</source>
        <translation>Не удаётся записать в %1</translation>
    </message>
</context>
<context>
    <name>SettingsDialog</name>
    <message>
        <source>Settings</source>
        <translation>Настройки</translation>
    </message>
    <message>
        <source>Autorun</source>
        <translation>Автозапуск</translation>
    </message>
    <message>
        <source>Key for show/hide: </source>
        <translation>Клавиша показа/скрытия: </translation>
    </message>
    <message>
        <source>Symbol size</source>
        <translation>Размер символов</translation>
    </message>
    <message>
        <source>Spacing</source>
        <translation>Интервал</translation>
    </message>
    <message>
        <source>Background color</source>
        <translation>Цвет фона</translation>
    </message>
    <message>
        <source>Automatic (%1)</source>
        <translation>Автоматически (%1)</translation>
    </message>
    <message>
        <source>Code page</source>
        <translation>Кодовая страница</translation>
    </message>
    <message>
        <source>Ondrel could not stop starting with the desktop: %1</source>
        <translation>Не удалось отключить автозапуск Ondrel: %1</translation>
    </message>
    <message>
        <source>Ondrel could not start with the desktop: %1</source>
        <translation>Не удалось включить автозапуск Ondrel: %1</translation>
    </message>
    <message>
        <source>Open pages folder</source>
        <translation>Открыть папку страниц</translation>
    </message>
    <message>
        <source>Pages of your own: text files whose first line is the page's name and whose other lines hold its characters.</source>
        <translation>Свои страницы: текстовые файлы, в первой строке которых название страницы, а в остальных — её символы.</translation>
    </message>
</context>
<context>
    <name>SettingsWriter</name>
    <message>
        <source>the folder %1 cannot be created</source>
        <translation>папку %1 не удаётся создать</translation>
    </message>
    <message>
        <source>the folder %1 is read-only</source>
        <translation>папка %1 доступна только для чтения</translation>
    </message>
    <message>
        <source>%1 is read-only</source>
        <translation>файл %1 доступен только для чтения</translation>
    </message>
    <message>
        <source>%1 could not be written; the disk may be full</source>
        <translation>не удалось записать %1; возможно, диск заполнен</translation>
    </message>
</context>
<context>
    <name>SingleInstance</name>
    <message>
        <source>Ondrel may not write to the folder %1.</source>
        <translation>У Ondrel нет права записи в папку %1.</translation>
    </message>
    <message>
        <source>Ondrel cannot use its lock file %1.</source>
        <translation>Ondrel не может использовать файл блокировки %1.</translation>
    </message>
</context>
<context>
    <name>TrayController</name>
    <message>
        <source>Show/Hide Ondrel</source>
        <translation>Показать/скрыть Ondrel</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Настройки</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Справка</translation>
    </message>
    <message>
        <source>About</source>
        <translation>О программе</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Выход</translation>
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
        <translation>Щелчки по панели здесь ничего не набирают: %1.</translation>
    </message>
    <message>
        <source>Ondrel could not save its settings: %1</source>
        <translation>Ondrel не удалось сохранить настройки: %1</translation>
    </message>
</context>
<context>
    <name>TypedText</name>
    <message>
        <source>'%1' is no code point; write them as U+2554, separated by spaces.</source>
        <translation>«%1» — не кодовая точка; записывайте их как U+2554, через пробел.</translation>
    </message>
    <message>
        <source>There is nothing to type.</source>
        <translation>Печатать нечего.</translation>
    </message>
    <message>
        <source>At most %1 characters can be typed at once.</source>
        <translation>За один раз можно напечатать не более %1 символов.</translation>
    </message>
    <message>
        <source>%1 is half of a surrogate pair, no character.</source>
        <translation>%1 — половина суррогатной пары, а не символ.</translation>
    </message>
    <message>
        <source>%1 is a control character; only Tab and newline can be typed.</source>
        <translation>%1 — управляющий символ; печатаются только табуляция и перевод строки.</translation>
    </message>
</context>
<context>
    <name>WindowSystem</name>
    <message>
        <source>On this desktop Ondrel can type only into X11 applications. Right-click a character to copy it.</source>
        <translation>В этой среде Ondrel может набирать текст только в приложениях X11. Чтобы скопировать символ, щёлкните по нему правой кнопкой.</translation>
    </message>
    <message>
        <source>On this desktop Ondrel types through IBus, into applications that take text from an input method (most do). Right-click a character to copy it.</source>
        <translation>В этой среде Ondrel набирает текст через IBus — в приложениях, которые принимают текст от метода ввода (таких большинство). Чтобы скопировать символ, щёлкните по нему правой кнопкой.</translation>
    </message>
    <message>
        <source>Ondrel cannot type on this desktop. Right-click a character to copy it.</source>
        <translation>В этой среде Ondrel не может набирать текст. Чтобы скопировать символ, щёлкните по нему правой кнопкой.</translation>
    </message>
</context>
<context>
    <name>XdgAutostart</name>
    <message>
        <source>Cannot remove %1: %2</source>
        <translation>Не удаётся удалить %1: %2</translation>
    </message>
    <message>
        <source>Cannot create the folder %1</source>
        <translation>Не удаётся создать папку %1</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>Не удаётся записать %1: %2</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Ondrel is not responding</source>
        <translation>Ondrel не отвечает</translation>
    </message>
    <message>
        <source>The running Ondrel refused the command: %1</source>
        <translation>Запущенный Ondrel отклонил команду: %1</translation>
    </message>
    <message>
        <source>Ondrel is not running</source>
        <translation>Ondrel не запущен</translation>
    </message>
    <message>
        <source>Ondrel needs a graphical session</source>
        <translation>Для Ondrel нужен графический сеанс</translation>
    </message>
</context>
</TS>