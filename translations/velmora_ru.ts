<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru" sourcelanguage="en">
<context>
    <name>CommandLine</name>
    <message>
        <source>Light and sound pulsing together at a frequency you choose.</source>
        <translation>Свет и звук пульсируют вместе с выбранной вами частотой.</translation>
    </message>
    <message>
        <source>Shows this help and exits.</source>
        <translation>Показывает эту справку и завершает работу.</translation>
    </message>
    <message>
        <source>Shows the version and exits.</source>
        <translation>Показывает версию и завершает работу.</translation>
    </message>
    <message>
        <source>A session (*.vsession) to load in place of the remembered one, or a stimulus library (*.zdl) to use.</source>
        <translation>Сеанс (*.vsession), загружаемый вместо запомненного, или используемая библиотека стимулов (*.zdl).</translation>
    </message>
    <message>
        <source>Usage: %1 [options] [FILE]</source>
        <translation>Использование: %1 [параметры] [ФАЙЛ]</translation>
    </message>
    <message>
        <source>velmora opens one file, not &quot;%1&quot; as well.</source>
        <translation>velmora открывает только один файл, а не ещё и «%1».</translation>
    </message>
    <message>
        <source>Try &quot;velmora --help&quot;.</source>
        <translation>Попробуйте «velmora --help».</translation>
    </message>
</context>
<context>
    <name>FlashCheck</name>
    <message>
        <source>more than 3 general flashes a second over %1 % of the screen</source>
        <translation>более 3 общих вспышек в секунду на %1 % экрана</translation>
    </message>
    <message>
        <source>more than 3 general flashes a second over %1 % of a 10-degree field</source>
        <translation>более 3 общих вспышек в секунду на %1 % 10-градусного поля зрения</translation>
    </message>
    <message>
        <source>more than 3 red flashes a second over %1 % of the screen</source>
        <translation>более 3 красных вспышек в секунду на %1 % экрана</translation>
    </message>
    <message>
        <source>more than 3 red flashes a second over %1 % of a 10-degree field</source>
        <translation>более 3 красных вспышек в секунду на %1 % 10-градусного поля зрения</translation>
    </message>
    <message>
        <source>4 or more transitions a second for 4 of 5 seconds over %1 % of the screen</source>
        <translation>4 и более переходов в секунду в течение 4 из 5 секунд на %1 % экрана</translation>
    </message>
    <message>
        <source>4 or more transitions a second for 4 of 5 seconds over %1 % of a 10-degree field</source>
        <translation>4 и более переходов в секунду в течение 4 из 5 секунд на %1 % 10-градусного поля зрения</translation>
    </message>
    <message>
        <source>no part larger than a quarter of the screen or of a 10-degree field flashes more than 3 times a second</source>
        <translation>ни одна область больше четверти экрана или 10-градусного поля зрения не мигает чаще 3 раз в секунду</translation>
    </message>
    <message>
        <source>the picture is not an 8-bit picture</source>
        <translation>изображение не 8-битное</translation>
    </message>
    <message>
        <source>; </source>
        <translation>; </translation>
    </message>
    <message>
        <source>not checked</source>
        <translation>не проверено</translation>
    </message>
    <message>
        <source>over the limits</source>
        <translation>выше пределов</translation>
    </message>
    <message>
        <source>below the limits</source>
        <translation>ниже пределов</translation>
    </message>
    <message>
        <source>General flashes: %1 a second</source>
        <translation>Общие вспышки: %1 в секунду</translation>
    </message>
    <message>
        <source>Red flashes: %1 a second</source>
        <translation>Красные вспышки: %1 в секунду</translation>
    </message>
    <message>
        <source>Flashing area: %1 % of the screen, %2 % of a 10-degree field</source>
        <translation>Площадь мигания: %1 % экрана, %2 % 10-градусного поля зрения</translation>
    </message>
    <message>
        <source>Extended flashing: %1</source>
        <translation>Длительное мигание: %1</translation>
    </message>
    <message>
        <source>yes</source>
        <translation>да</translation>
    </message>
    <message>
        <source>no</source>
        <translation>нет</translation>
    </message>
    <message>
        <source>Display refresh: %1 Hz</source>
        <translation>Частота обновления экрана: %1 Гц</translation>
    </message>
    <message>
        <source>%1 Hz</source>
        <translation>%1 Гц</translation>
    </message>
    <message>
        <source>%1-%2 Hz</source>
        <translation>%1–%2 Гц</translation>
    </message>
    <message>
        <source>depth %1</source>
        <translation>глубина %1</translation>
    </message>
    <message>
        <source>depth %1-%2</source>
        <translation>глубина %1–%2</translation>
    </message>
    <message>
        <source>%1 general and %2 red flashes a second, %3 % of the screen, %4 % of a 10-degree field</source>
        <translation>вспышек в секунду: общих %1, красных %2; %3 % экрана, %4 % 10-градусного поля зрения</translation>
    </message>
</context>
<context>
    <name>Import</name>
    <message>
        <source>line</source>
        <translation>строка</translation>
    </message>
    <message>
        <source>lines</source>
        <translation>строки</translation>
    </message>
    <message>
        <source>entry</source>
        <translation>запись</translation>
    </message>
    <message>
        <source>entries</source>
        <translation>записи</translation>
    </message>
    <message>
        <source>%1 and %2 more</source>
        <translation>%1 и ещё %2</translation>
    </message>
    <message>
        <source>%1, line %2: more than %3 changes of the tone or the volume</source>
        <translation>%1, строка %2: более %3 изменений тона или громкости</translation>
    </message>
    <message>
        <source>the frequency thinned from %1 to %2 points, within %3 Hz of the schedule</source>
        <translation>частота прорежена: было точек %1, стало %2; отклонение от расписания не более %3 Гц</translation>
    </message>
    <message>
        <source>cannot open %1</source>
        <translation>Не удаётся открыть %1</translation>
    </message>
    <message>
        <source>%1 is not a regular file</source>
        <translation>%1 не является обычным файлом</translation>
    </message>
    <message>
        <source>%1 cannot be read</source>
        <translation>Не удаётся прочитать %1</translation>
    </message>
    <message>
        <source>%1 is larger than 4 MiB</source>
        <translation>%1 больше 4 МиБ</translation>
    </message>
</context>
<context>
    <name>Library</name>
    <message>
        <source>A picture name is empty</source>
        <translation>Имя изображения пусто</translation>
    </message>
    <message>
        <source>picture name &quot;%1&quot; is not valid UTF-8</source>
        <translation>имя изображения «%1» не является корректным UTF-8</translation>
    </message>
    <message>
        <source>picture name &quot;%1&quot; holds a line break or zero byte</source>
        <translation>имя изображения «%1» содержит перевод строки или нулевой байт</translation>
    </message>
    <message>
        <source>picture name &quot;%1&quot; would be read as a resource number</source>
        <translation>имя изображения «%1» будет прочитано как номер ресурса</translation>
    </message>
    <message>
        <source>A sound name is empty</source>
        <translation>Имя звука пусто</translation>
    </message>
    <message>
        <source>sound name &quot;%1&quot; is not valid UTF-8</source>
        <translation>имя звука «%1» не является корректным UTF-8</translation>
    </message>
    <message>
        <source>sound name &quot;%1&quot; holds a line break or zero byte</source>
        <translation>имя звука «%1» содержит перевод строки или нулевой байт</translation>
    </message>
    <message>
        <source>sound name &quot;%1&quot; would be read as a resource number</source>
        <translation>имя звука «%1» будет прочитано как номер ресурса</translation>
    </message>
    <message>
        <source>it holds no picture</source>
        <translation>изображение отсутствует</translation>
    </message>
    <message>
        <source>(its info header has %1 bytes; only 12- and 40-byte headers are read)</source>
        <translation>(информационный заголовок занимает %1 байт; читаются только заголовки размером 12 и 40 байт)</translation>
    </message>
    <message>
        <source>%1 is no usable bitmap file: %2</source>
        <translation>%1 не является пригодным файлом BMP: %2</translation>
    </message>
    <message>
        <source>it does not start with a bitmap file header</source>
        <translation>в начале нет заголовка файла BMP</translation>
    </message>
    <message>
        <source>it names more than 256 colours</source>
        <translation>указано более 256 цветов</translation>
    </message>
    <message>
        <source>Bitmap %1 cannot be read: %2</source>
        <translation>Не удаётся прочитать изображение %1: %2</translation>
    </message>
    <message>
        <source>Resource name &quot;%1&quot; cannot be stored</source>
        <translation>Имя ресурса «%1» не может быть сохранено</translation>
    </message>
    <message>
        <source>Resource &quot;%1&quot; of type &quot;%2&quot; is given twice</source>
        <translation>Ресурс «%1» типа «%2» указан дважды</translation>
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
        <translation>использование: velmora-lib list LIB
               velmora-lib extract LIB DIR
               velmora-lib pack OUT [--picture NAME=FILE.bmp]... [--sound NAME=FILE.wav]...
               velmora-lib flashcheck LIB --picture NAME --frequency F --depth L [--difference]
                          [--window WxH] [--screen WxH] [--refresh HZ] [--reduced] [--json]
               velmora-lib --help | --version
</translation>
    </message>
    <message>
        <source>its format block is too short</source>
        <translation>его блок формата слишком короткий</translation>
    </message>
    <message>
        <source>%1: its resource directory is too large to list: more than %2 entries</source>
        <translation>%1: каталог ресурсов слишком велик для вывода: более %2 записей</translation>
    </message>
    <message>
        <source>%1: its resource directory is too large to list: its names come to more than %2 times the size of the file</source>
        <translation>%1: каталог ресурсов слишком велик для вывода: его имена более чем в %2 раз превышают размер файла</translation>
    </message>
    <message>
        <source>unreadable (%1)</source>
        <translation>не читается (%1)</translation>
    </message>
    <message>
        <source>cannot make directory %1</source>
        <translation>не удаётся создать каталог %1</translation>
    </message>
    <message>
        <source>%1 wants NAME=FILE, not &quot;%2&quot;</source>
        <translation>%1 ожидает ИМЯ=ФАЙЛ, а не «%2»</translation>
    </message>
    <message>
        <source>%1 is no usable wave file: %2</source>
        <translation>%1 — непригодный WAV-файл: %2</translation>
    </message>
    <message>
        <source>--%1 wants a number from %2 to %3, not &quot;%4&quot;</source>
        <translation>--%1 ожидает число от %2 до %3, а не «%4»</translation>
    </message>
    <message>
        <source>--%1 wants WIDTHxHEIGHT, not &quot;%2&quot;</source>
        <translation>--%1 ожидает ШИРИНАxВЫСОТА, а не «%2»</translation>
    </message>
    <message>
        <source>no picture &quot;%1&quot; in %2</source>
        <translation>в %2 нет изображения «%1»</translation>
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
        <translation>Выводит, извлекает и упаковывает библиотеки стимулов velmora.

Команды:
  list LIB         Выводит оба списка имён, затем каждое изображение с его
                   размером и глубиной цвета и каждый звук с его форматом
                   и длительностью.
  extract LIB DIR  Записывает в DIR каждое изображение как файл BMP,
                   каждый звук как файл WAV и оба списка имён.
  pack OUT         Собирает библиотеку OUT из изображений и звуков,
                   заданных через --picture и --sound, каждый список в
                   заданном порядке; если файл непригоден, ничего
                   не записывается.
  flashcheck LIB   Оценивает, насколько сильно мигает изображение NAME при
                   частоте F и глубине L, относительно пределов для
                   светочувствительных зрителей. Код выхода 0 ниже
                   пределов, 3 выше них, 2 при неверных аргументах.</translation>
    </message>
    <message>
        <source>Shows this help and exits.</source>
        <translation>Показывает эту справку и завершает работу.</translation>
    </message>
    <message>
        <source>Shows the version and exits.</source>
        <translation>Показывает версию и завершает работу.</translation>
    </message>
    <message>
        <source>With pack: adds an 8-bit palette BMP file under NAME. With flashcheck: the picture NAME.</source>
        <translation>С pack: добавляет под именем NAME 8-битный палитровый файл BMP. С flashcheck: изображение NAME.</translation>
    </message>
    <message>
        <source>With pack: adds a WAV file under NAME.</source>
        <translation>С pack: добавляет под именем NAME файл WAV.</translation>
    </message>
    <message>
        <source>flashcheck: the main frequency in Hz.</source>
        <translation>flashcheck: основная частота в Гц.</translation>
    </message>
    <message>
        <source>flashcheck: the transform level, 1 to 15.</source>
        <translation>flashcheck: уровень преобразования, от 1 до 15.</translation>
    </message>
    <message>
        <source>flashcheck: Right/Left Difference on.</source>
        <translation>flashcheck: с включённым различием справа/слева.</translation>
    </message>
    <message>
        <source>flashcheck: the screen&apos;s size (1920x1080).</source>
        <translation>flashcheck: размер экрана (1920x1080).</translation>
    </message>
    <message>
        <source>flashcheck: the refresh rate (60).</source>
        <translation>flashcheck: частота обновления экрана (60).</translation>
    </message>
    <message>
        <source>flashcheck: with reduced flashing.</source>
        <translation>flashcheck: с уменьшенным миганием.</translation>
    </message>
    <message>
        <source>flashcheck: prints one JSON object.</source>
        <translation>flashcheck: выводит один объект JSON.</translation>
    </message>
    <message>
        <source>no command given</source>
        <translation>команда не задана</translation>
    </message>
    <message>
        <source>pack takes one output file</source>
        <translation>pack принимает один выходной файл</translation>
    </message>
    <message>
        <source>flashcheck takes one library</source>
        <translation>flashcheck принимает одну библиотеку</translation>
    </message>
    <message>
        <source>flashcheck wants one --picture, --frequency and --depth</source>
        <translation>flashcheck ожидает по одному --picture, --frequency и --depth</translation>
    </message>
    <message>
        <source>--sound belongs to pack</source>
        <translation>--sound относится к pack</translation>
    </message>
    <message>
        <source>--depth wants a whole number</source>
        <translation>--depth ожидает целое число</translation>
    </message>
    <message>
        <source>--%1 belongs to flashcheck</source>
        <translation>--%1 относится к flashcheck</translation>
    </message>
    <message>
        <source>--picture and --sound belong to pack</source>
        <translation>--picture и --sound относятся к pack</translation>
    </message>
    <message>
        <source>list takes one argument</source>
        <translation>list принимает один аргумент</translation>
    </message>
    <message>
        <source>extract takes two arguments</source>
        <translation>extract принимает два аргумента</translation>
    </message>
    <message>
        <source>unknown command &quot;%1&quot;</source>
        <translation>неизвестная команда «%1»</translation>
    </message>
    <message>
        <source>1 channel</source>
        <translation>1 канал</translation>
    </message>
    <message>
        <source>%1 channels</source>
        <translation>каналов: %1</translation>
    </message>
    <message>
        <source>format %1, %2 Hz, %3 bits, %4, %5 s</source>
        <translation>формат %1, %2 Гц, %3 бит, %4, %5 с</translation>
    </message>
    <message>
        <source>%1 x %2, %3 bits</source>
        <translation>%1 × %2, %3 бит</translation>
    </message>
    <message>
        <source>, %1 bytes</source>
        <translation>, байт: %1</translation>
    </message>
    <message>
        <source>Pictures</source>
        <translation>Изображения</translation>
    </message>
    <message>
        <source>Sounds</source>
        <translation>Звуки</translation>
    </message>
    <message>
        <source>flashcheck: the picture&apos;s size on the screen (%1x%2).</source>
        <translation>flashcheck: размер изображения на экране (%1x%2).</translation>
    </message>
    <message>
        <source>cannot read %1</source>
        <translation>не удаётся прочитать %1</translation>
    </message>
    <message>
        <source>cannot write %1</source>
        <translation>не удаётся записать %1</translation>
    </message>
    <message>
        <source>%1 is no resource module</source>
        <translation>%1 не является модулем ресурсов</translation>
    </message>
    <message>
        <source>%1 at %2 Hz, depth %3</source>
        <translation>%1 при %2 Гц, глубина %3</translation>
    </message>
    <message>
        <source>, right/left difference</source>
        <translation>, различие справа/слева</translation>
    </message>
    <message>
        <source>, reduced flashing</source>
        <translation>, уменьшенное мигание</translation>
    </message>
    <message>
        <source>, shown %1 x %2 on a %3 x %4 screen at %5 Hz</source>
        <translation>, показ %1 x %2 на экране %3 x %4 при %5 Гц</translation>
    </message>
    <message>
        <source>%1 general and %2 red flashes a second at most; %3 % of the screen and %4 % of a 10-degree field flash more than 3 times a second; extended flashing: %5.</source>
        <translation>Вспышек в секунду не более: общих %1, красных %2; %3 % экрана и %4 % 10-градусного поля зрения мигают чаще 3 раз в секунду; длительное мигание: %5.</translation>
    </message>
    <message>
        <source>yes</source>
        <translation>да</translation>
    </message>
    <message>
        <source>no</source>
        <translation>нет</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>Operation aborted</source>
        <translation>Операция прервана</translation>
    </message>
    <message>
        <source>Stream read error</source>
        <translation>Ошибка чтения потока</translation>
    </message>
    <message>
        <source>Cannot open file %s</source>
        <translation>Не удаётся открыть файл %s</translation>
    </message>
    <message>
        <source>Unable to write to %s</source>
        <translation>Не удаётся записать в %s</translation>
    </message>
    <message>
        <source>Value must be between %d and %d</source>
        <translation>Значение должно быть от %d до %d</translation>
    </message>
    <message>
        <source>Cannot assign a %s to a %s</source>
        <translation>Нельзя присвоить %s объекту %s</translation>
    </message>
    <message>
        <source>DIB is invalid</source>
        <translation>DIB недействителен</translation>
    </message>
    <message>
        <source>Bitcount in invalid (%d)</source>
        <translation>Недопустимая глубина цвета (%d)</translation>
    </message>
    <message>
        <source>PixelFormat in invalid</source>
        <translation>Недопустимый формат пикселей</translation>
    </message>
    <message>
        <source>Index of the scanning line exceeded the range. (%d)</source>
        <translation>Индекс строки развёртки вне диапазона. (%d)</translation>
    </message>
    <message>
        <source>%s cannot be made</source>
        <translation>Не удаётся создать %s</translation>
    </message>
    <message>
        <source>%s not made</source>
        <translation>%s не создан</translation>
    </message>
    <message>
        <source>%s not loaded</source>
        <translation>%s не загружен</translation>
    </message>
    <message>
        <source>%s cannot be initialized</source>
        <translation>Не удаётся инициализировать %s</translation>
    </message>
    <message>
        <source>%s cannot be locked</source>
        <translation>Не удаётся заблокировать %s</translation>
    </message>
    <message>
        <source>Wave is invalid</source>
        <translation>Недопустимые данные WAVE</translation>
    </message>
    <message>
        <source>Stream has already been opened</source>
        <translation>Поток уже открыт</translation>
    </message>
    <message>
        <source>Stream not opend</source>
        <translation>Поток не открыт</translation>
    </message>
    <message>
        <source>Resource %s not found</source>
        <translation>Ресурс %s не найден</translation>
    </message>
    <message>
        <source>Form not found</source>
        <translation>Форма не найдена</translation>
    </message>
    <message>
        <source>Unknown picture file extension (.%s)</source>
        <translation>Неизвестное расширение файла изображения (.%s)</translation>
    </message>
    <message>
        <source>Out of memory</source>
        <translation>Недостаточно памяти</translation>
    </message>
    <message>
        <source>&apos;%s&apos; is not a valid floating point value</source>
        <translation>«%s» — недопустимое число с плавающей точкой</translation>
    </message>
    <message>
        <source>%s is larger than 1 MiB</source>
        <translation>%s больше 1 МиБ</translation>
    </message>
    <message>
        <source>%s is not a regular file</source>
        <translation>%s — не обычный файл</translation>
    </message>
    <message>
        <source>%s cannot be read</source>
        <translation>Не удаётся прочитать %s</translation>
    </message>
    <message>
        <source>%s, line %d: %s</source>
        <translation>%s, строка %d: %s</translation>
    </message>
    <message>
        <source>%s holds no points</source>
        <translation>%s не содержит точек</translation>
    </message>
    <message>
        <source>not UTF-8 text</source>
        <translation>не текст в UTF-8</translation>
    </message>
    <message>
        <source>a point needs a time and a frequency</source>
        <translation>точке нужны время и частота</translation>
    </message>
    <message>
        <source>time &quot;%s&quot; is not m:ss or h:mm:ss</source>
        <translation>время «%s» не в формате m:ss или h:mm:ss</translation>
    </message>
    <message>
        <source>time %s does not come after %s</source>
        <translation>время %s не позже %s</translation>
    </message>
    <message>
        <source>frequency &quot;%s&quot; is not a number with a decimal point and up to three decimals</source>
        <translation>частота «%s» не является числом с десятичной точкой и не более чем тремя знаками после неё</translation>
    </message>
    <message>
        <source>frequency %s is outside 0.1..35.0</source>
        <translation>частота %s вне диапазона 0.1..35.0</translation>
    </message>
    <message>
        <source>unknown setting &quot;%s&quot; (depth, am, fm, volume, half, tone, carrier)</source>
        <translation>неизвестный параметр «%s» (depth, am, fm, volume, half, tone, carrier)</translation>
    </message>
    <message>
        <source>%s must be a whole number from %d to %d</source>
        <translation>%s должно быть целым числом от %d до %d</translation>
    </message>
    <message>
        <source>half must be on or off</source>
        <translation>half должно быть on или off</translation>
    </message>
    <message>
        <source>tone must be off, binaural or isochronic</source>
        <translation>tone должно быть off, binaural или isochronic</translation>
    </message>
    <message>
        <source>%s is set twice</source>
        <translation>%s задано дважды</translation>
    </message>
    <message>
        <source>more than %d points</source>
        <translation>более %d точек</translation>
    </message>
    <message>
        <source>the last point is at 0:00, so the session has no length</source>
        <translation>последняя точка стоит на 0:00, поэтому у сеанса нет длительности</translation>
    </message>
</context>
<context>
    <name>RenderTool</name>
    <message>
        <source>Stimulus library (default main.zdl, looked for beside the program, in its data directory, then in the current directory).</source>
        <translation>Библиотека стимулов (по умолчанию main.zdl; ищется рядом с программой, в её каталоге данных, затем в текущем каталоге).</translation>
    </message>
    <message>
        <source>Follow a session file (*.vsession) from its start to its end.</source>
        <translation>Следовать файлу сеанса (*.vsession) от начала до конца.</translation>
    </message>
    <message>
        <source>Main frequency without a session, 0.1..35.0 (default 7.0).</source>
        <translation>Основная частота без сеанса, 0.1..35.0 (по умолчанию 7.0).</translation>
    </message>
    <message>
        <source>Length without a session, m:ss or h:mm:ss.</source>
        <translation>Длительность без сеанса, m:ss или h:mm:ss.</translation>
    </message>
    <message>
        <source>Sound of the library (default: the first it lists).</source>
        <translation>Звук из библиотеки (по умолчанию первый в её списке).</translation>
    </message>
    <message>
        <source>Oscilator 1, the balance swing, 0..5 (default 0).</source>
        <translation>Осциллятор 1, колебание баланса, 0..5 (по умолчанию 0).</translation>
    </message>
    <message>
        <source>Oscilator 2, the playback-rate swing, 0..10 (default 0).</source>
        <translation>Осциллятор 2, колебание скорости воспроизведения, 0..10 (по умолчанию 0).</translation>
    </message>
    <message>
        <source>Volume knob, 0..10 (default 10).</source>
        <translation>Регулятор громкости, 0..10 (по умолчанию 10).</translation>
    </message>
    <message>
        <source>&quot;1/2 Period&quot; (default off).</source>
        <translation>«1/2 периода» (по умолчанию off).</translation>
    </message>
    <message>
        <source>The tone at the main frequency under the sound (default off).</source>
        <translation>Тон с основной частотой под звуком (по умолчанию off).</translation>
    </message>
    <message>
        <source>The tone&apos;s carrier, 50..1000 (default 200).</source>
        <translation>Несущая частота тона, 50..1000 (по умолчанию 200).</translation>
    </message>
    <message>
        <source>The tone&apos;s level against the sound, -60..0 (default -6).</source>
        <translation>Уровень тона относительно звука, -60..0 (по умолчанию -6).</translation>
    </message>
    <message>
        <source>Draw the session&apos;s frequency over time into a PNG file, as the program&apos;s Session window shows it (with -o the sound as well).</source>
        <translation>Нарисовать изменение частоты сеанса во времени в файл PNG, как его показывает окно «Сеанс» программы (с -o — также звук).</translation>
    </message>
    <message>
        <source>With --flash-report: the library&apos;s picture to check.</source>
        <translation>С --flash-report: проверяемое изображение из библиотеки.</translation>
    </message>
    <message>
        <source>With --flash-report: the Depth knob, the transform level, 1..15 (default 1).</source>
        <translation>С --flash-report: регулятор «Глубина», уровень преобразования, 1..15 (по умолчанию 1).</translation>
    </message>
    <message>
        <source>With --flash-report: &quot;Right/Left Difference&quot; (default off).</source>
        <translation>С --flash-report: «Различие справа/слева» (по умолчанию off).</translation>
    </message>
    <message>
        <source>With --flash-report: reduced flashing (default off).</source>
        <translation>С --flash-report: уменьшенное мигание (по умолчанию off).</translation>
    </message>
    <message>
        <source>With --flash-report: the screen&apos;s size (default 1920x1080).</source>
        <translation>С --flash-report: размер экрана (по умолчанию 1920x1080).</translation>
    </message>
    <message>
        <source>With --flash-report: the display&apos;s refresh rate (default 60).</source>
        <translation>С --flash-report: частота обновления дисплея (по умолчанию 60).</translation>
    </message>
    <message>
        <source>%1 takes a whole number from 0 to %2</source>
        <translation>%1 принимает целое число от 0 до %2</translation>
    </message>
    <message>
        <source>Shows this help and exits.</source>
        <translation>Показывает эту справку и завершает работу.</translation>
    </message>
    <message>
        <source>Shows the version and exits.</source>
        <translation>Показывает версию и завершает работу.</translation>
    </message>
    <message>
        <source>Grade how strongly the picture flashes, minute by minute, instead of rendering.</source>
        <translation>Вместо записи звука поминутно оценить, насколько сильно мигает изображение.</translation>
    </message>
    <message>
        <source>unexpected argument &quot;%1&quot;</source>
        <translation>неожиданный аргумент «%1»</translation>
    </message>
    <message>
        <source>%1 is given twice</source>
        <translation>%1 задан дважды</translation>
    </message>
    <message>
        <source>%1 takes on or off</source>
        <translation>%1 принимает on или off</translation>
    </message>
    <message>
        <source>--session sets the frequency and the length itself; leave out --frequency and --duration</source>
        <translation>--session сам задаёт частоту и длительность; уберите --frequency и --duration</translation>
    </message>
    <message>
        <source>give either --session or --duration</source>
        <translation>укажите --session или --duration</translation>
    </message>
    <message>
        <source>--duration takes a length of m:ss or h:mm:ss, above 0:00</source>
        <translation>--duration принимает длительность вида m:ss или h:mm:ss больше 0:00</translation>
    </message>
    <message>
        <source>--frequency takes 0.1 to 35.0 with up to three decimals</source>
        <translation>--frequency принимает от 0.1 до 35.0 с не более чем тремя знаками после точки</translation>
    </message>
    <message>
        <source>%1 belongs to --flash-report</source>
        <translation>%1 относится к --flash-report</translation>
    </message>
    <message>
        <source>--plot draws a session: give --session</source>
        <translation>--plot рисует сеанс: укажите --session</translation>
    </message>
    <message>
        <source>no output file (-o) given</source>
        <translation>не задан выходной файл (-o)</translation>
    </message>
    <message>
        <source>-o - writes WAV data, which a terminal cannot show; send it into a pipe or give a file</source>
        <translation>-o - выводит данные WAV, которые терминал не может показать; направьте их в канал или укажите файл</translation>
    </message>
    <message>
        <source>--tone takes off, binaural or isochronic</source>
        <translation>--tone принимает off, binaural или isochronic</translation>
    </message>
    <message>
        <source>--carrier takes a whole number of hertz from 50 to 1000</source>
        <translation>--carrier принимает целое число герц от 50 до 1000</translation>
    </message>
    <message>
        <source>--tone-level takes a whole number of decibels from -60 to 0</source>
        <translation>--tone-level принимает целое число децибел от -60 до 0</translation>
    </message>
    <message>
        <source>%1 takes WIDTHxHEIGHT in pixels, as 1920x1080</source>
        <translation>%1 принимает ШИРИНАxВЫСОТА в пикселях, например 1920x1080</translation>
    </message>
    <message>
        <source>%1 is for rendering sound; --flash-report prints its report to the terminal</source>
        <translation>%1 служит для записи звука; --flash-report выводит свой отчёт в терминал</translation>
    </message>
    <message>
        <source>--flash-report needs the --picture to check</source>
        <translation>--flash-report требует проверяемое изображение (--picture)</translation>
    </message>
    <message>
        <source>--depth takes a whole number from 1 to 15</source>
        <translation>--depth принимает целое число от 1 до 15</translation>
    </message>
    <message>
        <source>--refresh takes the display&apos;s refresh rate, 1 to 1000 Hz</source>
        <translation>--refresh принимает частоту обновления дисплея, от 1 до 1000 Гц</translation>
    </message>
    <message>
        <source>Below the limits throughout.</source>
        <translation>Всё время ниже пределов.</translation>
    </message>
    <message>
        <source>Over the limits in %1 of %2 minutes.</source>
        <translation>Выше пределов в %1 из %2 мин.</translation>
    </message>
    <message>
        <source>cannot write the picture %1</source>
        <translation>не удаётся записать изображение %1</translation>
    </message>
    <message>
        <source>The same as --import.</source>
        <translation>То же, что --import.</translation>
    </message>
    <message>
        <source>%1 takes -o FILE.vsession and nothing else</source>
        <translation>%1 принимает только -o ФАЙЛ.vsession</translation>
    </message>
    <message>
        <source>With --flash-report: the picture&apos;s size on the screen (default 576x246).</source>
        <translation>С --flash-report: размер изображения на экране (по умолчанию 576x246).</translation>
    </message>
    <message>
        <source>Convert another program&apos;s schedule (a binaural-beat .sbg file, a preset .spsq file or its JSON sequence, a .gnaural voice schedule) into the session file -o; the format is told by the content; what a session cannot hold is listed on standard error.</source>
        <translation>Преобразовать расписание другой программы (файл бинауральных биений .sbg, файл пресетов .spsq или его последовательность JSON, расписание голосов .gnaural) в файл сеанса -o; формат определяется по содержимому; то, что сеанс не может вместить, выводится в стандартный поток ошибок.</translation>
    </message>
    <message>
        <source>nothing to check</source>
        <translation>нечего проверять</translation>
    </message>
    <message>
        <source>%1 has no usable picture &quot;%2&quot;: %3</source>
        <translation>в %1 нет пригодного изображения «%2»: %3</translation>
    </message>
    <message>
        <source>%1: the picture is not an 8-bit picture</source>
        <translation>%1: изображение не 8-битное</translation>
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
        <translation>использование: velmora-render [ПАРАМЕТР]... --session ФАЙЛ -o ВЫХОД.wav
               velmora-render [ПАРАМЕТР]... [--frequency ГЦ] --duration ВРЕМЯ -o ВЫХОД.wav
               velmora-render --session ФАЙЛ --plot ВЫХОД.png [-o ВЫХОД.wav]
               velmora-render --flash-report --picture ИМЯ [ПАРАМЕТР]... --session ФАЙЛ
               velmora-render --import ФАЙЛ -o ВЫХОД.vsession
               velmora-render --extract ЗАПИСЬ -o ВЫХОД.vsession
Подробнее: velmora-render --help.
</translation>
    </message>
    <message>
        <source>The file to write (replaced if it exists); its extension chooses the format: .wav, .flac, .ogg, .opus or .mp3 (WAV for any other); - writes WAV data to standard output.</source>
        <translation>Записываемый файл (заменяется, если существует); формат выбирается по расширению: .wav, .flac, .ogg, .opus или .mp3 (WAV для любого другого); - выводит данные WAV в стандартный вывод.</translation>
    </message>
    <message>
        <source>The file&apos;s format whatever its extension: WAV with 16-bit (wav, s16) or 32-bit float samples (f32), FLAC (16-bit, the same samples as the WAV), or the lossy Ogg Vorbis, Opus (resampled to 48 kHz, as Opus is always played) or MP3.</source>
        <translation>Формат файла независимо от расширения: WAV с 16-битными (wav, s16) или 32-битными отсчётами с плавающей точкой (f32), FLAC (16 бит, те же отсчёты, что и в WAV) или сжатые с потерями Ogg Vorbis, Opus (с передискретизацией до 48 кГц — Opus всегда воспроизводится на этой частоте) и MP3.</translation>
    </message>
    <message>
        <source>Take the session back out of a rendered file into the session file -o, with the knobs and the tone it was rendered with written into its first point; the library, sound and tone level it was rendered with are told on standard error. Rendering it with those gives the same WAV or FLAC file.</source>
        <translation>Извлечь сеанс из отрисованного файла в файл сеанса -o, записав в его первую точку регуляторы и тон, с которыми он был отрисован; библиотека, звук и уровень тона, использованные при отрисовке, выводятся в стандартный поток ошибок. Отрисовка с ними даёт тот же файл WAV или FLAC.</translation>
    </message>
    <message>
        <source>Renders the sound Velmora plays to a sound file, exactly as the program would play it with perfect timers: the same modulation, frequency rules and mixing. With a session the knob and tone options give the settings as they stand when the run starts; the session&apos;s points set them from there; a setting of the first point stands from the first frame. The same arguments always give the same WAV and FLAC file (Ogg streams carry a serial number of their own). Every file keeps the session and the settings it was rendered with (a &quot;vlms&quot; chunk in WAV, the comment tag in the others), which --extract takes back out.

--flash-report prints instead, for each minute of the session, the frequencies, the depths and how strongly the picture flashes; its exit status is 3 when any minute is over the limits for photosensitive viewers. Bad arguments give exit status 2, failures 1.</source>
        <translation>Записывает звук, который воспроизводит Velmora, в звуковой файл — точно так, как программа воспроизвела бы его с идеальными таймерами: та же модуляция, те же правила частоты и то же микширование. С сеансом параметры регуляторов и тона задают настройки на момент запуска; дальше их задают точки сеанса; то, что задаёт первая точка, действует с первого кадра. Одинаковые аргументы всегда дают одинаковый файл WAV и FLAC (потоки Ogg каждый раз получают собственный серийный номер). Каждый файл хранит сеанс и настройки, с которыми он был отрисован (блок «vlms» в WAV, тег комментария в остальных форматах); --extract извлекает их обратно.

--flash-report вместо этого выводит для каждой минуты сеанса частоты, глубины и силу мигания изображения; код выхода 3, если хотя бы одна минута превышает пределы для светочувствительных зрителей. Неверные аргументы дают код выхода 2, ошибки — 1.</translation>
    </message>
    <message>
        <source>--format takes wav, s16, f32, flac, ogg, opus or mp3</source>
        <translation>--format принимает wav, s16, f32, flac, ogg, opus или mp3</translation>
    </message>
    <message>
        <source>-o - writes WAV only; give a file for %1</source>
        <translation>-o - записывает только WAV; для %1 укажите файл</translation>
    </message>
    <message>
        <source>Rendered by velmora-render %1 from --library %2 --sound %3 --tone-level %4</source>
        <translation>Отрисовано velmora-render %1 с --library %2 --sound %3 --tone-level %4</translation>
    </message>
    <message>
        <source>The session is too long to be kept in a %1 file; the file holds the sound only.</source>
        <translation>Сеанс слишком длинный, чтобы сохранить его в файле %1; файл содержит только звук.</translation>
    </message>
    <message>
        <source>%1 is lossy: the file does not hold the exact sound; WAV and FLAC do.</source>
        <translation>%1 — формат с потерями: файл не хранит звук в точности; WAV и FLAC хранят.</translation>
    </message>
</context>
<context>
    <name>RunParameters</name>
    <message>
        <source>Low Delta</source>
        <translation>Низкая дельта</translation>
    </message>
    <message>
        <source>Delta</source>
        <translation>Дельта</translation>
    </message>
    <message>
        <source>High Delta</source>
        <translation>Высокая дельта</translation>
    </message>
    <message>
        <source>Theta/Delta</source>
        <translation>Тета/дельта</translation>
    </message>
    <message>
        <source>Low Theta</source>
        <translation>Низкая тета</translation>
    </message>
    <message>
        <source>Theta</source>
        <translation>Тета</translation>
    </message>
    <message>
        <source>High Theta</source>
        <translation>Высокая тета</translation>
    </message>
    <message>
        <source>Alpha/Theta</source>
        <translation>Альфа/тета</translation>
    </message>
    <message>
        <source>Low Alpha</source>
        <translation>Низкая альфа</translation>
    </message>
    <message>
        <source>Alpha</source>
        <translation>Альфа</translation>
    </message>
    <message>
        <source>High Alpha</source>
        <translation>Высокая альфа</translation>
    </message>
    <message>
        <source>Beta/Alpha</source>
        <translation>Бета/альфа</translation>
    </message>
    <message>
        <source>Low Beta</source>
        <translation>Низкая бета</translation>
    </message>
    <message>
        <source>Beta</source>
        <translation>Бета</translation>
    </message>
    <message>
        <source>High Beta</source>
        <translation>Высокая бета</translation>
    </message>
</context>
<context>
    <name>TAboutBox</name>
    <message>
        <source>About Velmora</source>
        <translation>О программе Velmora</translation>
    </message>
    <message>
        <source>Made by the Velmora team
Caution: flashing light may cause
seizures. Esc stops it at once

Wisit our homepage</source>
        <translation>Создано командой Velmora
Внимание: мигание может
вызвать приступ. Esc — стоп

Посетите наш сайт</translation>
    </message>
    <message>
        <source>Mail us:</source>
        <translation>Пишите нам:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>ОК</translation>
    </message>
</context>
<context>
    <name>TApplication</name>
    <message>
        <source>Unknown failure</source>
        <translation>Неизвестная ошибка</translation>
    </message>
</context>
<context>
    <name>TFrameStats</name>
    <message>
        <source>synchronised</source>
        <translation>синхронизировано</translation>
    </message>
    <message>
        <source>timestamps only</source>
        <translation>только отметки времени</translation>
    </message>
    <message>
        <source>no presentation feedback</source>
        <translation>нет обратной связи о показе</translation>
    </message>
    <message>
        <source>unsynchronised</source>
        <translation>не синхронизировано</translation>
    </message>
</context>
<context>
    <name>TJournalWindow</name>
    <message>
        <source>Stop</source>
        <translation>Стоп</translation>
    </message>
    <message>
        <source>Esc</source>
        <translation>Esc</translation>
    </message>
    <message>
        <source>Session end</source>
        <translation>Конец сеанса</translation>
    </message>
    <message>
        <source>Signal</source>
        <translation>Сигнал</translation>
    </message>
    <message>
        <source>Window closed</source>
        <translation>Окно закрыто</translation>
    </message>
    <message>
        <source>Cut off</source>
        <translation>Прерван</translation>
    </message>
    <message>
        <source>%1  Bookmark %2</source>
        <translation>%1  Закладка %2</translation>
    </message>
    <message>
        <source>Journal</source>
        <translation>Журнал</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Начало</translation>
    </message>
    <message>
        <source>Length</source>
        <translation>Длительность</translation>
    </message>
    <message>
        <source>Session or frequency</source>
        <translation>Сеанс или частота</translation>
    </message>
    <message>
        <source>End</source>
        <translation>Окончание</translation>
    </message>
    <message>
        <source>Note...</source>
        <translation>Заметка…</translation>
    </message>
    <message>
        <source>Save as Session...</source>
        <translation>Сохранить как сеанс…</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Удалить</translation>
    </message>
    <message>
        <source>Delete All</source>
        <translation>Удалить все</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
    <message>
        <source>Save as Session</source>
        <translation>Сохранить как сеанс</translation>
    </message>
    <message>
        <source>Velmora Sessions (*.vsession)</source>
        <translation>Сеансы Velmora (*.vsession)</translation>
    </message>
    <message>
        <source>Note</source>
        <translation>Заметка</translation>
    </message>
    <message>
        <source>A short note:</source>
        <translation>Короткая заметка:</translation>
    </message>
    <message>
        <source>Delete every run of the journal?</source>
        <translation>Удалить из журнала все запуски?</translation>
    </message>
    <message>
        <source>%1 Hz</source>
        <translation>%1 Гц</translation>
    </message>
    <message>
        <source>Running</source>
        <translation>Идёт</translation>
    </message>
    <message>
        <source>Run of %1</source>
        <translation>Запуск от %1</translation>
    </message>
</context>
<context>
    <name>TMainFlash</name>
    <message>
        <source>Flash Check...</source>
        <translation>Проверка мигания…</translation>
    </message>
    <message>
        <source>Reduced Flashing</source>
        <translation>Уменьшенное мигание</translation>
    </message>
    <message>
        <source>● Flashing: over</source>
        <translation>● Мигание: выше</translation>
    </message>
    <message>
        <source>● Flashing: below</source>
        <translation>● Мигание: ниже</translation>
    </message>
    <message>
        <source>Flash check: %1</source>
        <translation>Проверка мигания: %1</translation>
    </message>
    <message>
        <source>Flash Check</source>
        <translation>Проверка мигания</translation>
    </message>
    <message>
        <source>a main frequency of %1 Hz or less</source>
        <translation>основная частота не выше %1 Гц</translation>
    </message>
    <message>
        <source>a picture %1 % of its present size or smaller</source>
        <translation>изображение не более %1 % от нынешнего размера</translation>
    </message>
    <message>
        <source>Nothing tried brings this run under the limits.</source>
        <translation>Ни один из опробованных вариантов не опускает этот запуск ниже пределов.</translation>
    </message>
    <message>
        <source>Under the limits with: %1.</source>
        <translation>Ниже пределов при условии: %1.</translation>
    </message>
    <message>
        <source>; or </source>
        <translation>; или </translation>
    </message>
    <message>
        <source>Photosensitivity warning</source>
        <translation>Предупреждение о светочувствительности</translation>
    </message>
    <message>
        <source>This program shows a flashing picture. Flashing light can cause seizures in people with photosensitive epilepsy, also in people who never had one before. Do not use it if you or your family have a history of epilepsy or seizures. Stop at once and see a doctor if you feel dizzy, have altered vision, twitching or any discomfort.</source>
        <translation>Эта программа показывает мигающее изображение. Мигающий свет может вызвать припадки у людей со светочувствительной эпилепсией, в том числе у тех, у кого их никогда раньше не было. Не пользуйтесь программой, если у вас или у ваших родственников были эпилепсия или судорожные припадки. Немедленно прекратите и обратитесь к врачу, если почувствуете головокружение, нарушение зрения, подёргивания или любой дискомфорт.</translation>
    </message>
    <message>
        <source>The present settings are %1.</source>
        <translation>Текущие настройки: %1.</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Начать</translation>
    </message>
    <message>
        <source>The session is below the limits throughout.</source>
        <translation>Сеанс всё время остаётся ниже пределов.</translation>
    </message>
    <message>
        <source>The session is over the limits in %1 of its %2 minutes.</source>
        <translation>Сеанс превышает пределы в %1 из своих %2 минут.</translation>
    </message>
    <message>
        <source>Its worst minute, %1: %2</source>
        <translation>Его худшая минута, %1: %2</translation>
    </message>
    <message>
        <source>a session that stays at %1 Hz or less</source>
        <translation>сеанс, который держится на %1 Гц или ниже</translation>
    </message>
    <message>
        <source>a session that stays at %1 Hz</source>
        <translation>сеанс, который держится на %1 Гц</translation>
    </message>
    <message>
        <source>a main frequency of %1 Hz</source>
        <translation>основная частота %1 Гц</translation>
    </message>
</context>
<context>
    <name>TMainForm</name>
    <message>
        <source>Velmora Libraries|*.zdl</source>
        <translation>Библиотеки Velmora|*.zdl</translation>
    </message>
    <message>
        <source>The main frequency of refreshing of the<byte value="xd"/>
picture and modulation of sound</source>
        <translation>Основная частота обновления<byte value="xd"/>
изображения и модуляции звука</translation>
    </message>
    <message>
        <source>0.0,&apos; Hz&apos;</source>
        <extracomment>The frequency box&apos;s number format; the unit is the quoted part.</extracomment>
        <translation>0.0,&apos; Гц&apos;</translation>
    </message>
    <message>
        <source>Right/Left Difference</source>
        <translation>Различие справа/слева</translation>
    </message>
    <message>
        <source>Difference  between the left &amp; the right<byte value="xd"/>
side of the picture transforming</source>
        <translation>Различие в преобразовании левой<byte value="xd"/>
и правой половин изображения</translation>
    </message>
    <message>
        <source>The level of transforming of the picture</source>
        <translation>Уровень преобразования изображения</translation>
    </message>
    <message>
        <source>Amplitude modulation of sound</source>
        <translation>Амплитудная модуляция звука</translation>
    </message>
    <message>
        <source>Frequency modulation of sound</source>
        <translation>Частотная модуляция звука</translation>
    </message>
    <message>
        <source>Sound Volume</source>
        <translation>Громкость звука</translation>
    </message>
    <message>
        <source>Depth</source>
        <translation>Глубина</translation>
    </message>
    <message>
        <source>Oscilator 1</source>
        <translation>Осц. 1</translation>
    </message>
    <message>
        <source>Oscilator 2</source>
        <translation>Осц. 2</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Громкость</translation>
    </message>
    <message>
        <source>1/2 Period</source>
        <translation>Период/2</translation>
    </message>
    <message>
        <source>Devision of period of frequency<byte value="xd"/>
modulation by two</source>
        <translation>Деление периода частотной<byte value="xd"/>
модуляции на два</translation>
    </message>
    <message>
        <source>Picture</source>
        <translation>Узор</translation>
    </message>
    <message>
        <source>Different pictures</source>
        <translation>Различные изображения</translation>
    </message>
    <message>
        <source>Sound</source>
        <translation>Звук</translation>
    </message>
    <message>
        <source>Different Sounds</source>
        <translation>Различные звуки</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Принять</translation>
    </message>
    <message>
        <source>The changes of picture and the sound<byte value="xd"/>
will take place only after pressing of<byte value="xd"/>
this button</source>
        <translation>Изменения изображения и звука<byte value="xd"/>
вступят в силу только после нажатия<byte value="xd"/>
этой кнопки</translation>
    </message>
    <message>
        <source>Hide Controls</source>
        <translation>Свернуть</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Пуск</translation>
    </message>
    <message>
        <source>About</source>
        <translation>О программе</translation>
    </message>
    <message>
        <source>Load Library</source>
        <translation>Загрузить библиотеку</translation>
    </message>
    <message>
        <source>Load Picture</source>
        <translation>Загрузить изображение</translation>
    </message>
    <message>
        <source>Load Sound</source>
        <translation>Загрузить звук</translation>
    </message>
    <message>
        <source>BitMaps|*.bmp</source>
        <translation>Точечные рисунки|*.bmp</translation>
    </message>
    <message>
        <source>Sounds|*.wav</source>
        <translation>Звуки|*.wav</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Стоп</translation>
    </message>
    <message>
        <source>Velmora Sessions|*.vsession</source>
        <translation>Сеансы Velmora|*.vsession</translation>
    </message>
    <message>
        <source>Load Session...</source>
        <translation>Загрузить сеанс…</translation>
    </message>
    <message>
        <source>End Session</source>
        <translation>Завершить сеанс</translation>
    </message>
    <message>
        <source>Sessions</source>
        <translation>Сеансы</translation>
    </message>
    <message>
        <source>Session...</source>
        <translation>Сеанс…</translation>
    </message>
    <message>
        <source>%1 - %2 elapsed, %3 left</source>
        <translation>%1 — прошло %2, осталось %3</translation>
    </message>
    <message>
        <source>Show Controls</source>
        <translation>Развернуть</translation>
    </message>
    <message>
        <source>Velmora Beta 2.4</source>
        <translation>Velmora Beta 2.4</translation>
    </message>
    <message>
        <source>Session</source>
        <translation>Сеанс</translation>
    </message>
    <message>
        <source>Session - %1</source>
        <translation>Сеанс — %1</translation>
    </message>
    <message>
        <source>Main frequency</source>
        <translation>Основная частота</translation>
    </message>
    <message>
        <source>Brainwave band</source>
        <translation>Диапазон мозговых волн</translation>
    </message>
    <message>
        <source>%1, running</source>
        <translation>%1, работает</translation>
    </message>
    <message>
        <source>%1, stopped</source>
        <translation>%1, остановлено</translation>
    </message>
    <message>
        <source>%1 (shifted %2 Hz)</source>
        <translation>%1 (сдвиг %2 Гц)</translation>
    </message>
    <message>
        <source>Schedules|*.sbg;*.spsq;*.json;*.gnaural|All Files|*</source>
        <translation>Расписания|*.sbg;*.spsq;*.json;*.gnaural|Все файлы|*</translation>
    </message>
    <message>
        <source>Import Session...</source>
        <translation>Импортировать сеанс…</translation>
    </message>
    <message>
        <source>Import Session</source>
        <translation>Импорт сеанса</translation>
    </message>
    <message>
        <source>%1 was imported as %2. What a session cannot hold was left out or changed:</source>
        <translation>Файл %1 импортирован как %2. То, что сеанс не может вместить, опущено или изменено:</translation>
    </message>
</context>
<context>
    <name>TMainJournal</name>
    <message>
        <source>Bookmark</source>
        <translation>Закладка</translation>
    </message>
    <message>
        <source>Journal...</source>
        <translation>Журнал…</translation>
    </message>
</context>
<context>
    <name>TMainTone</name>
    <message>
        <source>Tone</source>
        <translation>Тон</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Выкл.</translation>
    </message>
    <message>
        <source>Binaural Beat</source>
        <translation>Бинауральные биения</translation>
    </message>
    <message>
        <source>Isochronic Pulse</source>
        <translation>Изохронные импульсы</translation>
    </message>
    <message>
        <source>Carrier...</source>
        <translation>Несущая частота…</translation>
    </message>
    <message>
        <source>Carrier</source>
        <translation>Несущая частота</translation>
    </message>
    <message>
        <source>The tone&apos;s carrier (Hz):</source>
        <translation>Несущая частота тона (Гц):</translation>
    </message>
</context>
</TS>
