<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>ColourCommand</name>
    <message>
        <location filename="../cli/colour_command.cpp" line="18"/>
        <source>%1 秒</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <location filename="../cli/colour_command.cpp" line="27"/>
        <source>インク %1（スウォッチ %2）: ストローク %3、ピクセル %4、推定 %5</source>
        <translation>Ink %1 (swatch %2): strokes %3, pixels %4, estimated %5</translation>
    </message>
    <message>
        <location filename="../cli/colour_command.cpp" line="35"/>
        <source>（省略: ストローク %1、ピクセル %2、%3）</source>
        <translation> (left out: strokes %1, pixels %2, %3)</translation>
    </message>
    <message>
        <location filename="../cli/colour_command.cpp" line="45"/>
        <source>制限時間で省略: ストローク %1、ピクセル %2</source>
        <translation>Left out by the time limit: strokes %1, pixels %2</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>描画先のペンの太さ（1〜32 ピクセル）。2 以上では、線の中心と太さの間隔の塗りだけをなぞり、確認はその半分のずれを許します。既定: 保存された設定。</source>
        <translation>The target&apos;s pen width (1 to 32 pixels). From 2 on, only the lines&apos; centres and fills spaced by the width are traced, and the check allows about half the width. Default: the saved settings.</translation>
    </message>
    <message>
        <source>描画後の確認。exact: 1 ピクセルも違わないこと、tolerant: ペンの半径（1 ピクセル以上）以内のずれと薄いにじみを許す、auto: ペンが 1 ピクセルなら exact、太ければ tolerant（既定）。</source>
        <translation>The check after drawing. exact: not one pixel off; tolerant: ink within the pen&apos;s radius (1 pixel at least) and faint antialiasing allowed; auto: exact for a 1-pixel pen, tolerant for a wider one (the default).</translation>
    </message>
    <message>
        <source>整数（ピクセル）</source>
        <translation>a whole number (pixels)</translation>
    </message>
    <message>
        <source>auto か exact か tolerant</source>
        <translation>auto, exact or tolerant</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="37"/>
        <source>この説明を表示します。</source>
        <translation>Shows this help.</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="40"/>
        <source>バージョンを表示します。</source>
        <translation>Shows the version.</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="43"/>
        <source>描画の原点（画像の左上のピクセルが来る画面上の座標）。pointer: 描画を始めるときのマウスポインタの位置（位置を読めない Wayland では使えません）。</source>
        <translation>The origin of the drawing (the point on the screen where the picture&apos;s top-left pixel goes). pointer: where the mouse pointer stands when the drawing starts (not on Wayland, where its position cannot be read).</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="51"/>
        <source>描画を始める前に待つ秒数（描画先のウィンドウへ切り替えるため）。端末にカウントダウンを表示します。</source>
        <translation>Seconds to wait before drawing starts (to switch to the window to draw into). A countdown is shown in the terminal.</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="54"/>
        <location filename="../cli/command_line.cpp" line="122"/>
        <source>秒</source>
        <translation>seconds</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="57"/>
        <source>1 ピクセル進むごとのウェイト（0〜7 ミリ秒）。既定: 保存された設定。</source>
        <translation>The wait after each pixel moved (0 to 7 milliseconds). Default: the saved settings.</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="60"/>
        <source>ミリ秒</source>
        <translation>ms</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="63"/>
        <source>線の抽出モード。dark: 暗いピクセル、nonwhite: 白以外のピクセル、colour: 保存されたパレットの色で描きます（カラー）。既定: 保存された設定。</source>
        <translation>How lines are extracted. dark: dark pixels, nonwhite: pixels that are not white, colour: drawn in the saved palette&apos;s colours (colour). Default: the saved settings.</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="70"/>
        <source>dark モードのしきい値（0〜255）: 3 色ともこの値以下のピクセルが線です。既定: 保存された設定。</source>
        <translation>The threshold of the dark mode (0 to 255): a pixel whose three channels are all at or below it is a line. Default: the saved settings.</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="76"/>
        <source>nonwhite モードの白（0〜256）: 3 色ともこの値以上のピクセルが白です。既定: 保存された設定。</source>
        <translation>The white of the nonwhite mode (0 to 256): a pixel whose three channels are all at or above it is white. Default: the saved settings.</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="82"/>
        <source>追従モード: 固定のウェイトの代わりに、描画先の画面に線が現れるのを待ちます。既定: 保存された設定。</source>
        <translation>Follow mode: instead of a fixed wait, wait for the line to appear on the screen of the target. Default: the saved settings.</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="87"/>
        <source>追従モードを使わず、固定のウェイトで描画します。</source>
        <translation>Draws with the fixed wait, without the follow mode.</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="91"/>
        <source>まっすぐな部分はその端へ 1 回で動かします（つないで線を引く描画先向け）。既定: 保存された設定。</source>
        <translation>Moves along a straight part to its end in one move (for targets that join positions with a line). Default: the saved settings.</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="96"/>
        <source>1 ピクセルずつ動かします。</source>
        <translation>Moves one pixel at a time.</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="99"/>
        <source>描画先のパレットのファイル（1 行に 1 つのスウォッチ: 「X,Y」か「X,Y #RRGGBB」。色のない行は画面のその位置の色）。画像をその色に減色し、色ごとにスウォッチをクリックしてから描きます（カラー）。</source>
        <translation>The target&apos;s palette file (one swatch per line: &quot;X,Y&quot; or &quot;X,Y #RRGGBB&quot;; a line without a colour takes the colour on the screen at that point). The picture is reduced to those colours, and each colour&apos;s swatch is clicked before it is drawn (colour).</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="107"/>
        <source>カラーの減色のディザ。none: なし、ordered: 組織的（4×4）、fs: 誤差拡散。既定: 保存された設定。</source>
        <translation>The dithering of the colour reduction. none: none, ordered: ordered (4×4), fs: error diffusion. Default: the saved settings.</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="113"/>
        <source>描画先の背景色（カラー）。この色に近いピクセルは描きません。既定: 保存された設定（白）。</source>
        <translation>The target&apos;s background colour (colour). Pixels close to it are not drawn. Default: the saved settings (white).</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="118"/>
        <source>カラーで描く時間の上限: 計画の推定でこの秒数に収まる分だけ、長いストロークから描きます。省く分は --plan に表示されます。</source>
        <translation>The time limit of a colour drawing: only as much as the plan&apos;s estimate fits into these seconds is drawn, longest strokes first. What is left out is shown by --plan.</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="125"/>
        <source>600 × 480 より大きい画像の左上 600 × 480 を描画します（ウィンドウに表示される部分）。付けなければ、大きい画像は描画しません。</source>
        <translation>Draws the top-left 600 × 480 of a picture larger than 600 × 480 (the part the window shows). Without it, a larger picture is not drawn.</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="131"/>
        <source>600 × 480 より大きい画像を、縦横比を保ったまま 600 × 480 に収まるよう縮小して描画します（線を残す縮小。ウィンドウの「画像に合わせて読み込む」と同じ）。</source>
        <translation>Draws a picture larger than 600 × 480 scaled down to fit 600 × 480, its aspect kept (a scaling that keeps the lines; as the window&apos;s &quot;Load fitted to the picture&quot;).</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="137"/>
        <source>何も動かさずに計画を表示します: ストローク数、ストローク内の移動数、線のピクセル数、ウェイトによる推定時間、画面上の範囲。</source>
        <translation>Shows the plan without moving anything: strokes, moves within strokes, line pixels, the estimated time with the wait, the area on the screen.</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="143"/>
        <source>計画を PNG 画像に書きます: 各ストロークを描く順に青から赤への色で、薄くした元画像の上に。--plan を含みます。</source>
        <translation>Writes the plan as a PNG picture: each stroke in a colour from blue to red in the order drawn, over a faded copy of the picture. Implies --plan.</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="150"/>
        <source>結果（または計画）を 1 つの JSON オブジェクトとして標準出力に書きます。</source>
        <translation>Writes the result (or the plan) to the standard output as one JSON object.</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="155"/>
        <source>Esc キーで描画を止められない環境（キーを監視できない Wayland コンポジタ）でも、確かめずに描画します。その環境では、付けなければ端末で確かめ、標準入力が端末でなければ描画しません。</source>
        <translation>Draws without asking also where Esc cannot stop the drawing (a Wayland compositor whose keys cannot be watched). There, without it, the terminal asks first, and nothing is drawn when the standard input is not a terminal.</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="202"/>
        <source>不明なオプションです: %1</source>
        <translation>Unknown option: %1</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="219"/>
        <source>%1 は値を取りません</source>
        <translation>%1 takes no value</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="224"/>
        <source>%1 には値が必要です（%2）</source>
        <translation>%1 needs a value (%2)</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="251"/>
        <source>%1 から %2 までの%3</source>
        <translation>%3 from %1 to %2</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="261"/>
        <source>X,Y（画面のピクセル座標、整数）か pointer</source>
        <translation>X,Y (pixel coordinates on the screen, whole numbers) or pointer</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="279"/>
        <location filename="../cli/command_line.cpp" line="331"/>
        <source>秒数</source>
        <translation>seconds</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="287"/>
        <source>整数（ミリ秒）</source>
        <translation>whole number (milliseconds)</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="295"/>
        <source>dark か nonwhite か colour</source>
        <translation>dark, nonwhite or colour</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="308"/>
        <source>パレットのファイルの名前</source>
        <translation>the name of a palette file</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="313"/>
        <source>none か ordered か fs</source>
        <translation>none, ordered or fs</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="324"/>
        <source>#RRGGBB（16 進の色）</source>
        <translation>#RRGGBB (a hexadecimal colour)</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="339"/>
        <location filename="../cli/command_line.cpp" line="344"/>
        <source>整数</source>
        <translation>whole number</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="349"/>
        <source>書き出す PNG ファイルの名前</source>
        <translation>the name of the PNG file to write</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="357"/>
        <source>%1 には %2 を指定してください（指定: %3）</source>
        <translation>%1 needs %2 (given: %3)</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="402"/>
        <source>コマンドがありません（draw を指定してください）</source>
        <translation>No command given (give draw)</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="406"/>
        <source>不明なコマンドです: %1</source>
        <translation>Unknown command: %1</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="411"/>
        <source>描画する画像ファイルを指定してください</source>
        <translation>Give the picture file to draw</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="414"/>
        <source>余分な引数があります: %1</source>
        <translation>Too many arguments: %1</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="424"/>
        <source>--at で描画の原点を指定してください（X,Y か pointer）</source>
        <translation>Give the origin of the drawing with --at (X,Y or pointer)</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="431"/>
        <source>%1 と %2 は同時に指定できません</source>
        <translation>%1 and %2 cannot be given together</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="446"/>
        <source>--palette は --mode dark / nonwhite と同時に指定できません</source>
        <translation>--palette cannot be given together with --mode dark / nonwhite</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="453"/>
        <source>--crop と --fit は同時に指定できません</source>
        <translation>--crop and --fit cannot be given together</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="465"/>
        <source>使い方:
  stylorex                                     ウィンドウを開きます
  stylorex draw 画像ファイル --at X,Y [オプション]
                                               ウィンドウを開かずに画像を描画します
  stylorex --help | --version

draw は画像（ウィンドウが読める形式すべて）を「処理」と同じ抽出、ストロークと順序で、本物のマウスポインタで描きます。
Esc キー、マウスを動かすこと（KDE、GNOME）、SIGINT（Ctrl+C）、SIGTERM、SIGHUP、一時停止（Ctrl+Z）で中断し、どの終わり方でもボタンを離します。
設定の既定値は保存された設定ファイルから読み、ファイルは書き換えません。

オプション:
</source>
        <translation>Usage:
  stylorex                                     opens the window
  stylorex draw PICTURE --at X,Y [OPTIONS]
                                               draws the picture without opening the window
  stylorex --help | --version

draw draws the picture (in any format the window reads) with the real mouse pointer, with the same extraction, strokes and order as &quot;Draw&quot; in the window.
Esc, moving the mouse (KDE, GNOME), SIGINT (Ctrl+C), SIGTERM, SIGHUP and a stop (Ctrl+Z) abort it; however it ends, the button is released.
Settings not given are read from the saved settings file, which is never written.

Options:
</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="488"/>
        <source>
終了コード:
  0  描画し、描画先を読み取って正確に描けたと確かめました（太いペンでは、ペンの半径以内で。--plan: 計画を表示しました）
  1  失敗しました（画像を読めない、X ディスプレイがない、Wayland で使えない など）
  2  使い方の誤り
  3  中断しました（Esc キー、マウス、一時停止かシグナル、または確認に y 以外で答えました）
  4  最後まで描画しましたが、正確とは確かめられません（欠けか余分がある、または確認できない。
     理由は結果の「確認」の行と JSON の check に出ます）

例:
  stylorex draw logo.png --at 400,300
  stylorex draw logo.png --at pointer --delay 5
  stylorex draw logo.png --at 400,300 --plan --plan-image plan.png
  stylorex draw logo.png --at 400,300 --wait 0 --json
  stylorex draw photo.jpg --at 400,300 --palette swatches.txt --dither fs --within 60
</source>
        <translation>
Exit codes:
  0  drawn, and the target read back and found exact (with a wide pen, within its radius; --plan: the plan was shown)
  1  failed (the picture cannot be read, no X display, cannot be used on this Wayland, and so on)
  2  wrong usage
  3  aborted (Esc, the mouse, a stop or a signal, or the question answered with other than y)
  4  drawn to the end, but not found exact (pixels missing or extra, or no check possible;
     the result&apos;s &quot;Check&quot; line and the JSON&apos;s check say why)

Examples:
  stylorex draw logo.png --at 400,300
  stylorex draw logo.png --at pointer --delay 5
  stylorex draw logo.png --at 400,300 --plan --plan-image plan.png
  stylorex draw logo.png --at 400,300 --wait 0 --json
  stylorex draw photo.jpg --at 400,300 --palette swatches.txt --dither fs --within 60
</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="511"/>
        <source>使い方は stylorex --help で表示されます。</source>
        <translation>stylorex --help shows how to use it.</translation>
    </message>
    <message>
        <location filename="../cli/command_line.cpp" line="544"/>
        <source>ウィンドウは引数なしで開きます</source>
        <translation>The window opens without arguments</translation>
    </message>
</context>
<context>
    <name>DrawCommand</name>
    <message>
        <location filename="../cli/draw_command.cpp" line="41"/>
        <source>&#x3000;</source>
        <translation>  </translation>
    </message>
    <message>
        <location filename="../cli/draw_command.cpp" line="47"/>
        <source>描画中 %1/%2 ストローク&#x3000;経過 %3&#x3000;残り 約 %4&#x3000;%5</source>
        <translation>Drawing %1/%2 strokes  elapsed %3  left about %4  %5</translation>
    </message>
    <message>
        <location filename="../cli/draw_command.cpp" line="80"/>
        <source>それでも描画するには --yes を付けてください。</source>
        <translation>To draw all the same, add --yes.</translation>
    </message>
    <message>
        <location filename="../cli/draw_command.cpp" line="85"/>
        <source>描画しますか？ [y/N] </source>
        <translation>Draw? [y/N] </translation>
    </message>
    <message>
        <location filename="../cli/draw_command.cpp" line="87"/>
        <source>描画をやめました。</source>
        <translation>Not drawn.</translation>
    </message>
    <message>
        <location filename="../cli/draw_command.cpp" line="117"/>
        <source>開始まで %1 秒&#x3000;%2</source>
        <translation>Starting in %1 s  %2</translation>
    </message>
    <message>
        <location filename="../cli/draw_command.cpp" line="119"/>
        <source>Ctrl+C で中止</source>
        <translation>Ctrl+C cancels</translation>
    </message>
    <message>
        <location filename="../cli/draw_command.cpp" line="138"/>
        <source>Esc キーで中断</source>
        <translation>Esc aborts</translation>
    </message>
    <message>
        <location filename="../cli/draw_command.cpp" line="139"/>
        <source>Ctrl+C で中断</source>
        <translation>Ctrl+C aborts</translation>
    </message>
</context>
<context>
    <name>DrawJob</name>
    <message>
        <location filename="../run/draw_job.cpp" line="38"/>
        <source>画像ファイルがありません: %1</source>
        <translation>The picture file does not exist: %1</translation>
    </message>
    <message>
        <location filename="../run/draw_job.cpp" line="45"/>
        <source>画像ファイルを読めません: %1
%2</source>
        <translation>Cannot read the picture file: %1
%2</translation>
    </message>
    <message>
        <location filename="../run/draw_job.cpp" line="53"/>
        <source>画像が大きすぎます（%1 × %2）。描画できるのは %3 × %4 までです。--crop を付けると左上の %3 × %4 を、--fit を付けると縮小して全体を描画します。</source>
        <translation>The picture is too large (%1 × %2). Pictures up to %3 × %4 can be drawn. With --crop its top-left %3 × %4 is drawn; with --fit it is scaled down and drawn whole.</translation>
    </message>
    <message>
        <location filename="../run/draw_job.cpp" line="76"/>
        <source>画面を読めないため、追従モードを使わず固定のウェイトで描画します。</source>
        <translation>The screen cannot be read: drawing with the fixed wait instead of the follow mode.</translation>
    </message>
    <message>
        <location filename="../run/draw_job.cpp" line="114"/>
        <source>設定ファイルを読み込めません: %1（%2）。既定の設定で描きます</source>
        <translation>Cannot read the settings file: %1 (%2). Drawing with the default settings</translation>
    </message>
    <message>
        <location filename="../run/draw_job.cpp" line="145"/>
        <source>--within はカラーで描くとき（--palette か --mode colour、または保存された設定がカラー）だけ使えます</source>
        <translation>--within can be used only when drawing in colour (--palette or --mode colour, or colour in the saved settings)</translation>
    </message>
    <message>
        <location filename="../run/draw_job.cpp" line="152"/>
        <source>--at pointer は使えません。--at X,Y で原点を指定してください。</source>
        <translation>--at pointer cannot be used. Give the origin with --at X,Y.</translation>
    </message>
    <message>
        <location filename="../run/draw_job.cpp" line="190"/>
        <source>中断しました（%1）: 描画は始まっていません</source>
        <translation>Aborted (%1): drawing had not started</translation>
    </message>
    <message>
        <location filename="../run/draw_job.cpp" line="192"/>
        <source>シグナル</source>
        <translation>signal</translation>
    </message>
</context>
<context>
    <name>DrawReports</name>
    <message>
        <source>ペン %1px</source>
        <translation>pen %1 px</translation>
    </message>
    <message>
        <location filename="../cli/draw_reports.cpp" line="26"/>
        <source>%1 秒</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <location filename="../cli/draw_reports.cpp" line="47"/>
        <source>追従</source>
        <translation>follow</translation>
    </message>
    <message>
        <location filename="../cli/draw_reports.cpp" line="50"/>
        <source>直線をつなぐ</source>
        <translation>join straight runs</translation>
    </message>
    <message>
        <location filename="../cli/draw_reports.cpp" line="53"/>
        <location filename="../cli/draw_reports.cpp" line="54"/>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <location filename="../cli/draw_reports.cpp" line="72"/>
        <source>ストローク: %1
ストローク内の移動: %2
線のピクセル: %3
推定時間: %4（ウェイト %5 ms%6）
</source>
        <translation>Strokes: %1
Moves within strokes: %2
Line pixels: %3
Estimated time: %4 (wait %5 ms%6)
</translation>
    </message>
    <message>
        <location filename="../cli/draw_reports.cpp" line="82"/>
        <source>画面上の範囲: なし（線のピクセルがありません）</source>
        <translation>Area on the screen: none (no line pixels)</translation>
    </message>
    <message>
        <location filename="../cli/draw_reports.cpp" line="84"/>
        <source>画面上の範囲: (%1, %2) から (%3, %4) まで、%5 × %6</source>
        <translation>Area on the screen: from (%1, %2) to (%3, %4), %5 × %6</translation>
    </message>
    <message>
        <location filename="../cli/draw_reports.cpp" line="93"/>
        <source>
%1（画面 %2 × %3）</source>
        <translation>
%1 (screen %2 × %3)</translation>
    </message>
    <message>
        <location filename="../cli/draw_reports.cpp" line="102"/>
        <source>
計画の画像: %1</source>
        <translation>
Plan picture: %1</translation>
    </message>
    <message>
        <location filename="../cli/draw_reports.cpp" line="151"/>
        <source>計画の画像を書けません: %1（%2）</source>
        <translation>Cannot write the plan picture: %1 (%2)</translation>
    </message>
    <message>
        <location filename="../cli/draw_reports.cpp" line="188"/>
        <source>中断しました（%1）: %2 ストロークのうち %3 を描画、%4</source>
        <translation>Aborted (%1): %3 of %2 strokes drawn, %4</translation>
    </message>
    <message>
        <location filename="../cli/draw_reports.cpp" line="191"/>
        <source>シグナル</source>
        <translation>signal</translation>
    </message>
    <message>
        <location filename="../cli/draw_reports.cpp" line="197"/>
        <source>描画しました: %1 ストローク、%2 ピクセル、%3</source>
        <translation>Drawn: %1 strokes, %2 pixels, %3</translation>
    </message>
</context>
<context>
    <name>HowThisRunStops</name>
    <message>
        <location filename="../run/stop_reason.cpp" line="38"/>
        <source>途中で止めるには Stylorex を終了してください（起動した端末で Ctrl+C、または kill）。</source>
        <translation>To stop it midway, end Stylorex (Ctrl+C in the terminal that started it, or kill).</translation>
    </message>
    <message>
        <location filename="../run/stop_reason.cpp" line="46"/>
        <source>止めるには Ctrl+C（SIGINT）か SIGTERM を使ってください。</source>
        <translation>To stop it, use Ctrl+C (SIGINT) or SIGTERM.</translation>
    </message>
    <message>
        <location filename="../run/stop_reason.cpp" line="48"/>
        <source>Ctrl+C（SIGINT）や SIGTERM でも止まります。</source>
        <translation>Ctrl+C (SIGINT) and SIGTERM stop it too.</translation>
    </message>
</context>
<context>
    <name>PaletteSettings</name>
    <message>
        <location filename="../run/palette_settings.cpp" line="73"/>
        <source>パレットのファイルを読めません: %1（%2）</source>
        <translation>Cannot read the palette file: %1 (%2)</translation>
    </message>
    <message>
        <location filename="../run/palette_settings.cpp" line="80"/>
        <source>パレットのファイル %1 の誤り:
</source>
        <translation>Errors in the palette file %1:
</translation>
    </message>
    <message>
        <location filename="../run/palette_settings.cpp" line="86"/>
        <source>パレットのファイルにスウォッチがありません: %1</source>
        <translation>The palette file holds no swatch: %1</translation>
    </message>
    <message>
        <location filename="../run/palette_settings.cpp" line="98"/>
        <source>スウォッチ (%1, %2) の色を画面から読めません。「X,Y #RRGGBB」で色を書いてください。</source>
        <translation>The colour of swatch (%1, %2) cannot be read from the screen. Write its colour as &quot;X,Y #RRGGBB&quot;.</translation>
    </message>
</context>
<context>
    <name>RunRequest</name>
    <message>
        <location filename="../run/run_request.cpp" line="66"/>
        <source>開始座標が不正です</source>
        <translation>The start position is invalid</translation>
    </message>
    <message>
        <location filename="../run/run_request.cpp" line="72"/>
        <source>開始座標を設定してください</source>
        <translation>Set the start position</translation>
    </message>
    <message>
        <location filename="../run/run_request.cpp" line="92"/>
        <source>描画する線のピクセルがありません</source>
        <translation>There are no line pixels to draw</translation>
    </message>
    <message>
        <location filename="../run/run_request.cpp" line="94"/>
        <source>描画範囲が画面からはみ出します</source>
        <translation>The drawing would leave the screen</translation>
    </message>
    <message>
        <location filename="../run/run_request.cpp" line="96"/>
        <source>別の描画が実行中です</source>
        <translation>Another drawing is in progress</translation>
    </message>
    <message>
        <location filename="../run/run_request.cpp" line="98"/>
        <source>描画の排他ロックを作れません: </source>
        <translation>Cannot create the drawing lock: </translation>
    </message>
    <message>
        <location filename="../run/run_request.cpp" line="101"/>
        <source>スウォッチ %1 が画面の外にあります</source>
        <translation>Swatch %1 is off the screen</translation>
    </message>
    <message>
        <location filename="../run/run_request.cpp" line="104"/>
        <source>パレットにスウォッチがありません（ウィンドウでは設定メニューの「パレット」、stylorex draw では --palette で指定します）</source>
        <translation>The palette has no swatches (set them with &quot;Palette&quot; in the window&apos;s Settings menu, or with --palette for stylorex draw)</translation>
    </message>
</context>
<context>
    <name>RunTexts</name>
    <message>
        <source>確認（±%3px）: 欠け %1 / 余分 %2</source>
        <translation>Check (within %3 px): missing %1 / extra %2</translation>
    </message>
    <message>
        <source>ペンが 1 ピクセルちょうどではないため、%1 ピクセル以内のずれと薄いにじみは欠けにも余分にも数えません。</source>
        <translation>The pen is not one exact pixel: ink up to %1 pixels off and faint antialiasing count as neither missing nor extra.</translation>
    </message>
    <message>
        <location filename="../run/run_texts.cpp" line="16"/>
        <source>このウィンドウが描画先に重なっています</source>
        <translation>This window covers the target</translation>
    </message>
    <message>
        <location filename="../run/run_texts.cpp" line="19"/>
        <source>描画先が画面からはみ出しています</source>
        <translation>The target leaves the screen</translation>
    </message>
    <message>
        <location filename="../run/run_texts.cpp" line="21"/>
        <source>画面を読み取れません</source>
        <translation>The screen cannot be read</translation>
    </message>
    <message>
        <location filename="../run/run_texts.cpp" line="23"/>
        <source>描画先に変化がありません</source>
        <translation>Nothing changed in the target</translation>
    </message>
    <message>
        <location filename="../run/run_texts.cpp" line="34"/>
        <source>キーを離してください</source>
        <translation>Release the keys</translation>
    </message>
    <message>
        <location filename="../run/run_texts.cpp" line="38"/>
        <source>確認中…</source>
        <translation>Checking…</translation>
    </message>
    <message>
        <location filename="../run/run_texts.cpp" line="47"/>
        <source>確認: 欠け %1 / 余分 %2</source>
        <translation>Check: missing %1 / extra %2</translation>
    </message>
    <message>
        <location filename="../run/run_texts.cpp" line="52"/>
        <source>確認できません: </source>
        <translation>No check: </translation>
    </message>
    <message>
        <location filename="../run/run_texts.cpp" line="55"/>
        <source>（固定ウェイトに切替）</source>
        <translation> (switched to the fixed wait)</translation>
    </message>
    <message>
        <location filename="../run/run_texts.cpp" line="61"/>
        <source>%1: 欠け %2 / 余分 %3</source>
        <translation>%1: missing %2 / extra %3</translation>
    </message>
    <message>
        <location filename="../run/run_texts.cpp" line="76"/>
        <source>描画後に描画先の画面を読み取り、線の画素と比べました。</source>
        <translation>After drawing, the target&apos;s screen was read back and compared with the line pixels.</translation>
    </message>
    <message>
        <location filename="../run/run_texts.cpp" line="80"/>
        <source>欠け: 描き直し %1 回の後も描かれていない線の画素です。</source>
        <translation>Missing: line pixels still not drawn after %1 redraws.</translation>
    </message>
    <message>
        <location filename="../run/run_texts.cpp" line="85"/>
        <source>欠け: 描かれていない線の画素です。描画先が追いつく前に次へ進んだためです。設定メニューの「描画を確かめながら進む」をオンにすると、描画先が描き終えるのを確かめながら進み、欠けを描き直します。</source>
        <translation>Missing: line pixels not drawn, because the drawing moved on before the target caught up. With &quot;Check while drawing&quot; on in the Settings menu, the drawing waits until the target has drawn and draws what is missing again.</translation>
    </message>
    <message>
        <location filename="../run/run_texts.cpp" line="93"/>
        <source>余分: 線の外に描かれた画素です。取り消せません。</source>
        <translation>Extra: pixels drawn outside the lines. They cannot be undone.</translation>
    </message>
    <message>
        <location filename="../run/run_texts.cpp" line="97"/>
        <source>色ごと（別の色で描かれた画素は、その色の欠けと、描かれた色の余分に数えます）:</source>
        <translation>Per colour (a pixel drawn in another colour counts as missing in its colour and as extra in the colour drawn):</translation>
    </message>
    <message>
        <location filename="../run/run_texts.cpp" line="107"/>
        <source>Stylorex のウィンドウが描画先の範囲に重なっているため確認できません。ウィンドウを描画先の横に並べてください。</source>
        <translation>No check: Stylorex&apos;s window covers the target&apos;s area. Place the window beside the target.</translation>
    </message>
    <message>
        <location filename="../run/run_texts.cpp" line="113"/>
        <source>出力開始座標と画像の大きさで決まる範囲が画面からはみ出しているため確認できません。</source>
        <translation>No check: the area given by the start position and the picture&apos;s size leaves the screen.</translation>
    </message>
    <message>
        <location filename="../run/run_texts.cpp" line="119"/>
        <source>画面を読み取れないため確認できません。</source>
        <translation>No check: the screen cannot be read.</translation>
    </message>
    <message>
        <location filename="../run/run_texts.cpp" line="123"/>
        <source>描画の前と後で描画先の範囲に何の変化もありませんでした。描画先のウィンドウ、ペンの色、出力開始座標を確かめてください。</source>
        <translation>Nothing changed in the target&apos;s area between before and after the drawing. Check the target window, the pen&apos;s colour and the start position.</translation>
    </message>
    <message>
        <location filename="../run/run_texts.cpp" line="130"/>
        <source>描画先に %1 回続けて %2ms 以内に描画が現れなかったため、残りは固定ウェイト (%3ms) で描きました。</source>
        <translation>The target showed no ink within %2 ms %1 times in a row, so the rest was drawn with the fixed wait (%3 ms).</translation>
    </message>
</context>
<context>
    <name>StopReason</name>
    <message>
        <location filename="../run/stop_reason.cpp" line="10"/>
        <source>Esc キー</source>
        <translation>Esc key</translation>
    </message>
    <message>
        <location filename="../run/stop_reason.cpp" line="12"/>
        <source>マウス</source>
        <translation>mouse</translation>
    </message>
    <message>
        <location filename="../run/stop_reason.cpp" line="14"/>
        <source>一時停止</source>
        <translation>stop</translation>
    </message>
</context>
</TS>
