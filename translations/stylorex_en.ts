<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>AtomicFile</name>
    <message>
        <source>書き込めませんでした</source>
        <translation>could not be written</translation>
    </message>
</context>
<context>
    <name>ButtonGuardian</name>
    <message>
        <source>見張りプロセスを起動できません: </source>
        <translation>cannot start the guardian process: </translation>
    </message>
    <message>
        <source>見張りプロセスが X サーバーに接続できません</source>
        <translation>the guardian process cannot connect to the X server</translation>
    </message>
    <message>
        <source>見張りプロセスがコンポジタのマウス操作を使えません</source>
        <translation>the guardian process cannot use the compositor&apos;s pointer control</translation>
    </message>
    <message>
        <source>クラッシュ保護が無効です（%1）。描画中にプログラムが異常終了すると、マウスの左ボタンが押されたままになることがあります。</source>
        <translation>crash protection is off (%1). Should the program end abnormally during a run, the left mouse button may stay pressed.</translation>
    </message>
</context>
<context>
    <name>ColourRun</name>
    <message>
        <source>色を切り替えられませんでした（スウォッチ %1）</source>
        <translation>could not switch the colour (swatch %1)</translation>
    </message>
</context>
<context>
    <name>ColourView</name>
    <message>
        <source>%1色 </source>
        <translation>%1 colours </translation>
    </message>
    <message>
        <source> 省略 %1本</source>
        <translation> %1 strokes left out</translation>
    </message>
    <message>
        <source>%1（スウォッチ %2）: </source>
        <translation>%1 (swatch %2): </translation>
    </message>
    <message>
        <source>、制限時間で省略 </source>
        <translation>, left out by the time limit </translation>
    </message>
</context>
<context>
    <name>DlgSetting</name>
    <message>
        <source>抽出モード:カラー</source>
        <translation>Extract: colour</translation>
    </message>
    <message>
        <source>抽出モード:%1以下</source>
        <translation>Extract: ≤%1</translation>
    </message>
    <message>
        <source>抽出モード:白以外</source>
        <translation>Extract: non-white</translation>
    </message>
    <message>
        <source>抽出モード：白以外</source>
        <translation>Extract: non-white</translation>
    </message>
</context>
<context>
    <name>DrawingTools</name>
    <message>
        <source>文字</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>鉛筆</source>
        <translation>Pencil</translation>
    </message>
    <message>
        <source>直線</source>
        <translation>Line</translation>
    </message>
    <message>
        <source>四角</source>
        <translation>Rectangle</translation>
    </message>
    <message>
        <source>正円</source>
        <translation>Circle</translation>
    </message>
    <message>
        <source>楕円</source>
        <translation>Ellipse</translation>
    </message>
    <message>
        <source>ベジェ</source>
        <translation>Bezier</translation>
    </message>
    <message>
        <source>消しゴム</source>
        <translation>Eraser</translation>
    </message>
</context>
<context>
    <name>FrmGraphLayout</name>
    <message>
        <source>図種</source>
        <translation>Tool</translation>
    </message>
    <message>
        <source>線種</source>
        <translation>Style</translation>
    </message>
    <message>
        <source>太さ</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>&lt;文字出力</source>
        <translation>&lt;Text</translation>
    </message>
    <message>
        <source>傾き</source>
        <translation>Tilt</translation>
    </message>
    <message>
        <source>度</source>
        <translation>°</translation>
    </message>
    <message>
        <source>フォントの設定</source>
        <translation>Font...</translation>
    </message>
    <message>
        <source>普通に描画</source>
        <translation>Draw plain</translation>
    </message>
    <message>
        <source>中抜き描画</source>
        <translation>Draw outline</translation>
    </message>
    <message>
        <source>クリア</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>画像読込</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>貼り付け</source>
        <translation>Paste</translation>
    </message>
    <message>
        <source>定型画像</source>
        <translation>Patterns</translation>
    </message>
    <message>
        <source>登録</source>
        <translation>Store</translation>
    </message>
    <message>
        <source>ロード</source>
        <translation>Load</translation>
    </message>
    <message>
        <source>処理</source>
        <translation>Draw</translation>
    </message>
    <message>
        <source>描画先ウィンドウを</source>
        <translation>Target window</translation>
    </message>
    <message>
        <source>横に並べる</source>
        <translation>beside</translation>
    </message>
    <message>
        <source>描画先で</source>
        <translation>Choose</translation>
    </message>
    <message>
        <source>ペン・ブラシ、色</source>
        <translation>pen, colour</translation>
    </message>
    <message>
        <source>を選択</source>
        <translation>there</translation>
    </message>
    <message>
        <source>このウィンドウをアクティブに</source>
        <translation>Make this window active,</translation>
    </message>
    <message>
        <source>してから</source>
        <translation>then</translation>
    </message>
    <message>
        <source>出力開始座標</source>
        <translation>Origin point</translation>
    </message>
    <message>
        <source>にマウスを動かし</source>
        <translation>: point at it,</translation>
    </message>
    <message>
        <source>で設定</source>
        <translation> sets it</translation>
    </message>
    <message>
        <source>※マウス等から手を離し、</source>
        <translation>* Hands off the mouse,</translation>
    </message>
    <message>
        <source>Ｔａｂキーで</source>
        <translation>Tab to</translation>
    </message>
    <message>
        <source>このボタンに移動しエンター</source>
        <translation>this button, Enter</translation>
    </message>
    <message>
        <source>(中断する場合はESCキー)</source>
        <translation>(Esc stops the run)</translation>
    </message>
    <message>
        <source>簡易ペインタ</source>
        <translation>Painter</translation>
    </message>
    <message>
        <source>元絵(&amp;M)</source>
        <translation>&amp;Picture</translation>
    </message>
    <message>
        <source>ファイルから読込</source>
        <translation>Load from file</translation>
    </message>
    <message>
        <source>ｸﾘｯﾌﾟﾎﾞｰﾄﾞから貼り付け</source>
        <translation>Paste from clipboard</translation>
    </message>
    <message>
        <source>画像に合わせて読み込む</source>
        <translation>Load with canvas fitted to picture</translation>
    </message>
    <message>
        <source>描画範囲を選ぶ</source>
        <translation>Pick drawing area</translation>
    </message>
    <message>
        <source>なめらかに拡大縮小（写真向け）</source>
        <translation>Scale smoothly (for photos)</translation>
    </message>
    <message>
        <source>元に戻す</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>やり直し</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>名前を付けて保存</source>
        <translation>Save as</translation>
    </message>
    <message>
        <source>続きを描く</source>
        <translation>Resume drawing</translation>
    </message>
    <message>
        <source>抽出プレビュー</source>
        <translation>Extraction preview</translation>
    </message>
    <message>
        <source>設定(&amp;S)</source>
        <translation>&amp;Settings</translation>
    </message>
    <message>
        <source>線の抽出設定(S)</source>
        <translation>Line extraction (S)</translation>
    </message>
    <message>
        <source>描画ウェイト(&amp;W)</source>
        <translation>Drawing &amp;wait</translation>
    </message>
    <message>
        <source>ｷｬﾝﾊﾞｽｻｲｽﾞ</source>
        <translation>Canvas size</translation>
    </message>
    <message>
        <source>460*600(最大)</source>
        <translation>460*600 (largest)</translation>
    </message>
    <message>
        <source>カスタム</source>
        <translation>Custom</translation>
    </message>
    <message>
        <source>描画を確かめながら進む</source>
        <translation>Follow the target&apos;s ink</translation>
    </message>
    <message>
        <source>直線をまとめて動かす</source>
        <translation>Move straight runs at once</translation>
    </message>
    <message>
        <source>パレット(&amp;P)...</source>
        <translation>&amp;Palette...</translation>
    </message>
    <message>
        <source>座標取得</source>
        <translation>Take origin</translation>
    </message>
    <message>
        <source>画像リフレッシュ</source>
        <translation>Refresh picture</translation>
    </message>
    <message>
        <source>言語 / Language</source>
        <translation>Language / 言語</translation>
    </message>
    <message>
        <source>Version(&amp;V)</source>
        <translation>Version(&amp;V)</translation>
    </message>
</context>
<context>
    <name>GnomeSession</name>
    <message>
        <source>GNOME のリモートデスクトップを始められないため、マウスポインタを操作できません（%1）。</source>
        <translation>Cannot drive the mouse pointer: GNOME&apos;s remote desktop could not be started (%1).</translation>
    </message>
    <message>
        <source>画面共有の PipeWire ストリームを受け取れません（%1）。pipewire と wireplumber が動いているか確かめてください。</source>
        <translation>Cannot receive the screen cast&apos;s PipeWire stream (%1). Check that pipewire and wireplumber are running.</translation>
    </message>
    <message>
        <source>画面共有がマウスポインタの位置をまだ知らせていません。ポインタを少し動かしてからもう一度押すか、原点の X と Y を入力してください。</source>
        <translation>The screen cast has not told the pointer&apos;s position yet. Move the pointer a little and press again, or type the origin&apos;s X and Y.</translation>
    </message>
</context>
<context>
    <name>IniProfile</name>
    <message>
        <source>大きすぎます（%1 MB まで）</source>
        <translation>too large (%1 MB at most)</translation>
    </message>
    <message>
        <source>通常のファイルではないか、読めません</source>
        <translation>not a regular file, or unreadable</translation>
    </message>
</context>
<context>
    <name>KdeSession</name>
    <message>
        <source>KWin は、実行ファイルの絶対パスを Exec= に持つデスクトップファイルがあるプログラムにだけ、これを許します。次の内容のファイルを %1 に置いてから、Stylorex を起動し直してください（scripts/run と scripts/install はこのファイルを自動で置きます）。

%2</source>
        <translation>KWin allows this only to a program that a desktop file names by its absolute path in Exec=. Put a file with the following contents at %1, then start Stylorex again (scripts/run and scripts/install put this file there themselves).

%2</translation>
    </message>
    <message>
        <source>KWin が Stylorex にマウスポインタの操作（org_kde_kwin_fake_input）を許可していません。</source>
        <translation>KWin does not allow Stylorex to drive the mouse pointer (org_kde_kwin_fake_input).</translation>
    </message>
    <message>
        <source>KWin が画面の読み取り（%1）を許可していないため、描画後の確認と追従モードは使えません。</source>
        <translation>KWin does not allow reading the screen (%1), so the check after a run and the follow mode are not available.</translation>
    </message>
    <message>
        <source>KWin からマウスポインタの位置を読めませんでした。原点の X と Y を入力してください。</source>
        <translation>Could not read the mouse pointer&apos;s position from KWin. Type the origin&apos;s X and Y.</translation>
    </message>
    <message>
        <source>KWin との接続が切れました。</source>
        <translation>The connection to KWin was lost.</translation>
    </message>
</context>
<context>
    <name>KwinPointer</name>
    <message>
        <source>KWin がポインタの位置を知らせるスクリプトを読み込みませんでした。この描画はマウスを動かしても止まりません（Stylorex のウィンドウでの Esc では止まります）。</source>
        <translation>KWin did not load the script that reports the pointer&apos;s position. Moving the mouse does not stop this run (Esc in Stylorex&apos;s window does).</translation>
    </message>
</context>
<context>
    <name>Main</name>
    <message>
        <source>ウィンドウを閉じずに終了します（X サーバーとの接続が切れました）。設定を保存します。</source>
        <translation>Ending without closing the window (the connection to the X server was lost). Saving the settings.</translation>
    </message>
    <message>
        <source>Qt の日本語訳が見つかりません（qt6-translations-l10n）。標準のダイアログは英語で表示されます。</source>
        <translation>Qt&apos;s Japanese translation was not found (qt6-translations-l10n). The standard dialogs are shown in English.</translation>
    </message>
    <message>
        <source>メインウィンドウが他のプログラムに破棄されました。描画を中止し、設定を保存して終了します。</source>
        <translation>Another program destroyed the main window. Stopping the run, saving the settings and ending.</translation>
    </message>
</context>
<context>
    <name>MutterRemoteDesktop</name>
    <message>
        <source>Mutter のリモートデスクトップが応えません（%1）</source>
        <translation>Mutter&apos;s remote desktop does not answer (%1)</translation>
    </message>
</context>
<context>
    <name>Palette</name>
    <message>
        <source>%1 行目: スウォッチは %2 個までです</source>
        <translation>line %1: at most %2 swatches</translation>
    </message>
    <message>
        <source>%1 行目: 「X,Y」か「X,Y #RRGGBB」ではありません: %2</source>
        <translation>line %1: neither &quot;X,Y&quot; nor &quot;X,Y #RRGGBB&quot;: %2</translation>
    </message>
</context>
<context>
    <name>PatternLibrary</name>
    <message>
        <source>登録中</source>
        <translation>Storing</translation>
    </message>
    <message>
        <source>[定型登録中]</source>
        <translation>[Storing pattern]</translation>
    </message>
    <message>
        <source>JPEG保存に問題があるためBMP形式で保存します</source>
        <translation>JPEG saving has a problem; saving as BMP</translation>
    </message>
    <message>
        <source>JPEG保存障害</source>
        <translation>JPEG save failure</translation>
    </message>
    <message>
        <source>登録失敗</source>
        <translation>Store failed</translation>
    </message>
    <message>
        <source>[定型登録失敗]</source>
        <translation>[Pattern store failed]</translation>
    </message>
    <message>
        <source>定型画像を保存できませんでした: %1（%2）。登録されていません</source>
        <translation>Could not save the pattern: %1 (%2). It is not stored</translation>
    </message>
    <message>
        <source>定型登録</source>
        <translation>Store pattern</translation>
    </message>
    <message>
        <source>登録完了 </source>
        <translation>Stored </translation>
    </message>
    <message>
        <source>[定型登録完了]</source>
        <translation>[Pattern stored]</translation>
    </message>
    <message>
        <source>登録されていません</source>
        <translation>Nothing stored</translation>
    </message>
    <message>
        <source>定型ロード</source>
        <translation>Load pattern</translation>
    </message>
    <message>
        <source>ロード中</source>
        <translation>Loading</translation>
    </message>
    <message>
        <source>[定型ロード中]</source>
        <translation>[Loading pattern]</translation>
    </message>
    <message>
        <source>ロード失敗</source>
        <translation>Load failed</translation>
    </message>
    <message>
        <source>[定型ロード失敗]</source>
        <translation>[Pattern load failed]</translation>
    </message>
    <message>
        <source>定型画像を読み込めません</source>
        <translation>Cannot read the pattern</translation>
    </message>
    <message>
        <source>ロード完了</source>
        <translation>Loaded</translation>
    </message>
    <message>
        <source>[定型ロード完了]</source>
        <translation>[Pattern loaded]</translation>
    </message>
</context>
<context>
    <name>Pen</name>
    <message>
        <source>実線</source>
        <translation>Full</translation>
    </message>
    <message>
        <source>鎖線</source>
        <translation>Dash</translation>
    </message>
    <message>
        <source>点線</source>
        <translation>Dot</translation>
    </message>
    <message>
        <source>描画する線の太さを決めます</source>
        <translation>The width of the lines drawn</translation>
    </message>
</context>
<context>
    <name>PictureCommands</name>
    <message>
        <source>キャンバスサイズ変更</source>
        <translation>Canvas size</translation>
    </message>
    <message>
        <source>クリップボードに画像がありません</source>
        <translation>The clipboard holds no picture</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>すべてのﾋﾟｸﾁｬﾌｧｲﾙ</source>
        <translation>All picture files</translation>
    </message>
    <message>
        <source>ﾋﾞｯﾄﾏｯﾌﾟ(*.bmp,*.dib)</source>
        <translation>Bitmap(*.bmp,*.dib)</translation>
    </message>
    <message>
        <source>ｱｲｺﾝ(*.ico,*.cur)</source>
        <translation>Icon(*.ico,*.cur)</translation>
    </message>
    <message>
        <source>ﾒﾀﾌｧｲﾙ(*.wmf,*.emf)</source>
        <translation>Metafile(*.wmf,*.emf)</translation>
    </message>
    <message>
        <source>すべてのﾌｧｲﾙ(*.*)</source>
        <translation>All files(*.*)</translation>
    </message>
    <message>
        <source>画像を読み込めません
%1
%2</source>
        <translation>Cannot load the picture
%1
%2</translation>
    </message>
    <message>
        <source>読込中…</source>
        <translation>Loading…</translation>
    </message>
    <message>
        <source>ﾋﾞｯﾄﾏｯﾌﾟ(*.bmp)</source>
        <translation>Bitmap(*.bmp)</translation>
    </message>
    <message>
        <source>名前を付けて保存</source>
        <translation>Save as</translation>
    </message>
    <message>
        <source>画像を保存できませんでした
%1
%2</source>
        <translation>Could not save the picture
%1
%2</translation>
    </message>
    <message>
        <source>クリップボード</source>
        <translation>Clipboard</translation>
    </message>
    <message>
        <source>クリップボードの内容は文字です</source>
        <translation>The clipboard holds text</translation>
    </message>
    <message>
        <source>画像が大きすぎます</source>
        <translation>The picture is too large</translation>
    </message>
    <message>
        <source>高さを入力して下さい(最大480:最小100)</source>
        <translation>Enter the height (largest 480, smallest 100)</translation>
    </message>
    <message>
        <source>幅を入力して下さい(最大600:最小100)</source>
        <translation>Enter the width (largest 600, smallest 100)</translation>
    </message>
    <message>
        <source>数値が不正です</source>
        <translation>Not a valid number</translation>
    </message>
</context>
<context>
    <name>PictureDecoder</name>
    <message>
        <source>画像ファイルではないか、対応していない形式です</source>
        <translation>Not a picture file, or a format not supported</translation>
    </message>
    <message>
        <source>画像が大きすぎます（%1×%2 画素。%3×%3、%4 画素まで）</source>
        <translation>The picture is too large (%1×%2 pixels; %3×%3 and %4 pixels at most)</translation>
    </message>
    <message>
        <source>画像データが壊れているか、途中で切れています</source>
        <translation>The picture data is damaged or cut short</translation>
    </message>
    <message>
        <source>（</source>
        <translation> (</translation>
    </message>
    <message>
        <source>）</source>
        <translation>)</translation>
    </message>
    <message>
        <source>データが空です</source>
        <translation>The data is empty</translation>
    </message>
    <message>
        <source>メタファイルが壊れているか、大きすぎます</source>
        <translation>The metafile is damaged or too large</translation>
    </message>
    <message>
        <source>ファイルがありません（%1）</source>
        <translation>No such file (%1)</translation>
    </message>
    <message>
        <source>ファイルを読めません（%1）</source>
        <translation>Cannot read the file (%1)</translation>
    </message>
    <message>
        <source>読み込みが制限（%1 秒）を超えたか、メモリが足りないか、途中で異常終了しました</source>
        <translation>Reading went beyond its limit (%1 s), ran out of memory, or ended abnormally</translation>
    </message>
    <message>
        <source>読み込みを取り消しました</source>
        <translation>Loading cancelled</translation>
    </message>
</context>
<context>
    <name>PictureFit</name>
    <message>
        <source>画像を %1 に縮小しました（元の大きさ %2）</source>
        <translation>Picture scaled down to %1 (original size %2)</translation>
    </message>
</context>
<context>
    <name>PicturePlacement</name>
    <message>
        <source>画像の左上 %1 を使います（元の大きさ %2）</source>
        <translation>Using the picture&apos;s top-left %1 (original size %2)</translation>
    </message>
    <message>
        <source>描画範囲 %1 に合わせて画像を %2 に（元 %3）</source>
        <translation>Picture fitted to the area %1 as %2 (original %3)</translation>
    </message>
    <message>
        <source>キャンバスが白紙のため、出力開始座標だけを設定しました</source>
        <translation>The canvas is blank, so only the origin was set</translation>
    </message>
    <message>
        <source>キャンバスを画像の大きさ %1 にしました</source>
        <translation>Canvas set to the picture&apos;s size %1</translation>
    </message>
</context>
<context>
    <name>PipewireCapture</name>
    <message>
        <source>PipeWire のスレッドを作れません</source>
        <translation>Cannot create PipeWire&apos;s thread</translation>
    </message>
    <message>
        <source>PipeWire を始められません</source>
        <translation>Cannot start PipeWire</translation>
    </message>
    <message>
        <source>PipeWire に接続できません</source>
        <translation>Cannot connect to PipeWire</translation>
    </message>
    <message>
        <source>PipeWire のストリーム %1 に接続できません</source>
        <translation>Cannot connect to PipeWire stream %1</translation>
    </message>
</context>
<context>
    <name>PointerX11</name>
    <message>
        <source>ボタンの見張りが止まりました</source>
        <translation>The button guardian stopped</translation>
    </message>
    <message>
        <source>見張りプロセスの X サーバーとの接続が切れました</source>
        <translation>the guardian process&apos;s connection to the X server was lost</translation>
    </message>
    <message>
        <source>見張りプロセスが終了しました</source>
        <translation>the guardian process ended</translation>
    </message>
    <message>
        <source>X ディスプレイ %1 に接続できません。マウスポインタを操作できないため、X11 セッションの中で Stylorex を起動してください。</source>
        <translation>Cannot connect to X display %1. The mouse pointer cannot be driven; start Stylorex in an X11 session.</translation>
    </message>
    <message>
        <source>X サーバーに XTest 拡張がないため、マウスポインタを操作できません。XTest の使える X11 セッションで Stylorex を起動してください。</source>
        <translation>The X server has no XTest extension, so the mouse pointer cannot be driven. Start Stylorex in an X11 session with XTest.</translation>
    </message>
    <message>
        <source>（%1）。次の描画の前に起動し直します。</source>
        <translation> (%1). It is started again before the next run.</translation>
    </message>
    <message>
        <source>（%1）。ボタンを離す見張りなしには描画しません。</source>
        <translation> (%1). No run without a guardian to release the button.</translation>
    </message>
    <message>
        <source>（%1）。描画を中止し、ボタンを離しました。</source>
        <translation> (%1). The run was stopped and the button released.</translation>
    </message>
</context>
<context>
    <name>PortalRemoteDesktop</name>
    <message>
        <source>「Allow remote interaction」</source>
        <translation>&quot;Allow remote interaction&quot;</translation>
    </message>
    <message>
        <source>デスクトップが、Stylorex に画面の共有とマウスポインタの操作を許すかどうかを尋ねます。描画するには、そのダイアログで %1（リモート操作の許可）のスイッチを入れてから「共有」を選んでください。</source>
        <translation>The desktop asks whether Stylorex may share the screen and drive the mouse pointer. To draw, turn on the %1 switch in that dialog, then choose &quot;Share&quot;.</translation>
    </message>
    <message>
        <source>共有が許可されませんでした</source>
        <translation>Sharing was not allowed</translation>
    </message>
    <message>
        <source>画面の共有だけが許可され、マウスポインタの操作は許可されませんでした。もう一度始め、ダイアログの %1 のスイッチを入れてから「共有」を選んでください</source>
        <translation>Only the screen was shared; driving the mouse pointer was not allowed. Start again, turn on the %1 switch in the dialog, then choose &quot;Share&quot;</translation>
    </message>
    <message>
        <source>リモートデスクトップ ポータルが応えません（%1）</source>
        <translation>The remote desktop portal does not answer (%1)</translation>
    </message>
</context>
<context>
    <name>RegularFile</name>
    <message>
        <source>通常のファイルではありません</source>
        <translation>not a regular file</translation>
    </message>
    <message>
        <source>大きすぎます（%1 バイトまで）</source>
        <translation>too large (%1 bytes at most)</translation>
    </message>
</context>
<context>
    <name>RunPanels</name>
    <message>
        <source>%1本 %2px 約%3秒</source>
        <translation>%1 strokes %2px ~%3s</translation>
    </message>
    <message>
        <source>%1/%2本 残り約%3秒</source>
        <translation>%1/%2 strokes ~%3s left</translation>
    </message>
    <message>
        <source>Ctrl+R で続きを描く</source>
        <translation>Ctrl+R resumes</translation>
    </message>
</context>
<context>
    <name>RunReport</name>
    <message>
        <source>概算ｽﾄﾛｰｸ数:</source>
        <translation>Strokes (approx.):</translation>
    </message>
    <message>
        <source>中断</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>キーを離して</source>
        <translation>Release the keys</translation>
    </message>
    <message>
        <source>データ準備中</source>
        <translation>Preparing data</translation>
    </message>
    <message>
        <source>[データ準備中]</source>
        <translation>[Preparing data]</translation>
    </message>
    <message>
        <source>描画開始</source>
        <translation>Drawing</translation>
    </message>
    <message>
        <source>[描画開始-wait %1ms] Escキーで中断</source>
        <translation>[Drawing, wait %1ms] Esc stops</translation>
    </message>
    <message>
        <source>[処理完了]</source>
        <translation>[Done]</translation>
    </message>
    <message>
        <source>処理終了</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>[中断しました]</source>
        <translation>[Stopped]</translation>
    </message>
    <message>
        <source>描画が見えないため固定ウェイトで描画中</source>
        <translation>Ink not seen: drawing at the fixed wait</translation>
    </message>
</context>
<context>
    <name>ScreenPickOverlay</name>
    <message>
        <source>クリックで点、ドラッグで範囲を選びます（Esc で取り消し）</source>
        <translation>Click for a point, drag for an area (Esc cancels)</translation>
    </message>
    <message>
        <source>画面を読み取れないため、画面上で選ぶことができません。</source>
        <translation>The screen cannot be read, so nothing can be picked on it.</translation>
    </message>
</context>
<context>
    <name>ScreenX11</name>
    <message>
        <source>X ディスプレイ %1 に接続できないため、画面を読み取れません。</source>
        <translation>Cannot connect to X display %1, so the screen cannot be read.</translation>
    </message>
</context>
<context>
    <name>SettingTable</name>
    <message>
        <source>文字</source>
        <translation>Text</translation>
    </message>
</context>
<context>
    <name>SlurpPointPicker</name>
    <message>
        <source>座標を選べませんでした（slurp: %1）。</source>
        <translation>Could not pick a point (slurp: %1).</translation>
    </message>
    <message>
        <source>座標を選ぶためのプログラム slurp を起動できません。slurp をインストールしてください。</source>
        <translation>Cannot start slurp, the program that picks a point. Please install slurp.</translation>
    </message>
</context>
<context>
    <name>TextTool</name>
    <message>
        <source>傾きが不正です(0-360)</source>
        <translation>Invalid tilt (0-360)</translation>
    </message>
    <message>
        <source>座標が不正です</source>
        <translation>Invalid coordinates</translation>
    </message>
</context>
<context>
    <name>UnloadedSettings</name>
    <message>
        <source>設定ファイルを読み込めません: %1（%2）。既定の設定で起動します。設定を変えない限り、このファイルには書き込みません。</source>
        <translation>Cannot read the settings file: %1 (%2). Starting with the default settings. The file is not written unless you change a setting.</translation>
    </message>
</context>
<context>
    <name>UserStop</name>
    <message>
        <source>このデスクトップでは、ほかのウィンドウで押された Esc キーに Stylorex は気づけません。</source>
        <translation>On this desktop Stylorex cannot notice Esc pressed in other windows.</translation>
    </message>
    <message>
        <source>描画を止めるには、マウスを少し動かしてください（Stylorex のウィンドウが前面にあれば、そこで押した Esc でも止まります）。</source>
        <translation>To stop the run, move the mouse a little (with Stylorex&apos;s window in front, Esc pressed there stops it too).</translation>
    </message>
</context>
<context>
    <name>WaylandDesktop</name>
    <message>
        <source>この Wayland コンポジタでは、マウスポインタを操作する方法が見つかりません（wlroots の virtual pointer プロトコルも、KWin も、Mutter のリモートデスクトップも、デスクトップポータルのリモートデスクトップもありません）。</source>
        <translation>This Wayland compositor offers no way to drive the mouse pointer (neither wlroots&apos; virtual pointer protocol, nor KWin, nor Mutter&apos;s remote desktop, nor the desktop portal&apos;s remote desktop).</translation>
    </message>
    <message>
        <source>KDE と GNOME では D-Bus のセッションバスを通して操作します。デスクトップの中の端末から起動し、DBUS_SESSION_BUS_ADDRESS がそのセッションバスを指しているか確かめてください。</source>
        <translation>On KDE and GNOME the pointer is driven through the D-Bus session bus. Start from a terminal within the desktop and check that DBUS_SESSION_BUS_ADDRESS names that session bus.</translation>
    </message>
    <message>
        <source>sway など wlroots を使うコンポジタ、KDE Plasma、GNOME、または X11 セッションの中で Stylorex を起動してください。</source>
        <translation>Start Stylorex in sway or another wlroots compositor, KDE Plasma, GNOME, or an X11 session.</translation>
    </message>
    <message>
        <source>Wayland コンポジタ（WAYLAND_DISPLAY=%1）に接続できません。sway など wlroots を使うコンポジタ、KDE Plasma、GNOME、または X11 セッションの中で Stylorex を起動してください。</source>
        <translation>Cannot connect to the Wayland compositor (WAYLAND_DISPLAY=%1). Start Stylorex in sway or another wlroots compositor, KDE Plasma, GNOME, or an X11 session.</translation>
    </message>
</context>
<context>
    <name>WaylandPointer</name>
    <message>
        <source>Wayland ではマウスポインタの位置を読めません。</source>
        <translation>The mouse pointer&apos;s position cannot be read on Wayland.</translation>
    </message>
    <message>
        <source>この Wayland コンポジタでは Esc キーを監視できないため、描画を Esc で止めることはできません（Esc で止められるのは X11 セッションと sway です）。</source>
        <translation>This Wayland compositor does not let Esc be watched, so Esc cannot stop a run (Esc stops runs in X11 sessions and in sway).</translation>
    </message>
</context>
<context>
    <name>WaylandSession</name>
    <message>
        <source>この Wayland コンポジタはポインタを操作するためのプロトコル（wlr virtual pointer）を提供していないため、マウスポインタを操作できません。sway など wlroots を使うコンポジタか、X11 セッションの中で Stylorex を起動してください。</source>
        <translation>This Wayland compositor does not offer the protocol for driving the pointer (wlr virtual pointer), so the mouse pointer cannot be driven. Start Stylorex in sway or another wlroots compositor, or in an X11 session.</translation>
    </message>
    <message>
        <source>Wayland コンポジタ（WAYLAND_DISPLAY=%1）に接続できません。sway など wlroots を使うコンポジタか、X11 セッションの中で Stylorex を起動してください。</source>
        <translation>Cannot connect to the Wayland compositor (WAYLAND_DISPLAY=%1). Start Stylorex in sway or another wlroots compositor, or in an X11 session.</translation>
    </message>
    <message>
        <source>Wayland コンポジタとの接続が切れました。</source>
        <translation>The connection to the Wayland compositor was lost.</translation>
    </message>
</context>
<context>
    <name>WithoutWayland</name>
    <message>
        <source>この Stylorex は Wayland に対応せずにビルドされています。X11 セッションの中で起動するか、STYLOREX_WITH_WAYLAND をオンにしてビルドし直してください。</source>
        <translation>This Stylorex was built without Wayland support. Start it in an X11 session, or build it again with STYLOREX_WITH_WAYLAND on.</translation>
    </message>
</context>
<context>
    <name>WithoutX11</name>
    <message>
        <source>この Stylorex は X11 に対応せずにビルドされています。sway など wlroots を使う Wayland コンポジタの中で起動するか、STYLOREX_WITH_X11 をオンにしてビルドし直してください。</source>
        <translation>This Stylorex was built without X11 support. Start it in sway or another wlroots Wayland compositor, or build it again with STYLOREX_WITH_X11 on.</translation>
    </message>
</context>
<context>
    <name>X11Connections</name>
    <message>
        <source>マウスポインタの操作</source>
        <translation>driving the mouse pointer</translation>
    </message>
    <message>
        <source>Esc キーの監視</source>
        <translation>watching the Esc key</translation>
    </message>
    <message>
        <source>ボタンを離す予備</source>
        <translation>the spare for releasing the button</translation>
    </message>
    <message>
        <source>画面の読み取り</source>
        <translation>reading the screen</translation>
    </message>
    <message>
        <source>X サーバーとの接続（%1）が切れました。描画はできません。Stylorex を起動し直してください。</source>
        <translation>The connection to the X server (%1) was lost. No drawing is possible; start Stylorex again.</translation>
    </message>
</context>
<context>
    <name>X11Session</name>
    <message>
        <source>Wayland セッションではマウスポインタを操作できません（XTest は XWayland のポインタしか動かせず、他のアプリケーションには届きません）。X11 セッションでログインし直してから Stylorex を起動してください。</source>
        <translation>The mouse pointer cannot be driven in a Wayland session (XTest moves XWayland&apos;s pointer only, which other applications never see). Log in again with an X11 session, then start Stylorex.</translation>
    </message>
    <message>
        <source>X ディスプレイがありません（DISPLAY が設定されていません）。マウスポインタを操作できないため、X11 セッションの中で Stylorex を起動してください。</source>
        <translation>There is no X display (DISPLAY is not set). The mouse pointer cannot be driven; start Stylorex in an X11 session.</translation>
    </message>
</context>
<context>
    <name>frmGraph</name>
    <message>
        <source>[処理開始]</source>
        <translation>[Starting]</translation>
    </message>
    <message>
        <source>処理開始</source>
        <translation>Starting</translation>
    </message>
    <message>
        <source>

描画を始めますか？</source>
        <translation>

Start drawing?</translation>
    </message>
    <message>
        <source>[座標取得]</source>
        <translation>[Taking origin]</translation>
    </message>
    <message>
        <source>座標を取得</source>
        <translation>Taking origin</translation>
    </message>
</context>
<context>
    <name>stylorex::WaitMenu</name>
    <message>
        <source>「描画を確かめながら進む」がオンのときは、描画先の画面を読み取れない場合と、描画が見えずに固定ウェイトに切り替えた後に、このウェイトで描画します。</source>
        <translation>With &quot;Follow the target&apos;s ink&quot; on, this wait paces the run where the target&apos;s screen cannot be read, and after the ink went unseen and the run switched to the fixed wait.</translation>
    </message>
</context>
<context>
    <name>stylorex::dlgPalette</name>
    <message>
        <source>パレット</source>
        <translation>Palette</translation>
    </message>
    <message>
        <source>描画先の色のスウォッチを指して Ctrl+K を押すと、その位置と画面の色をスウォッチに加えます（最大 %1 個）。スウォッチの色と描かれる色が違うときは、色の欄を「#RRGGBB」で書き換えてください。</source>
        <translation>Point at a colour swatch of the target and press Ctrl+K to add its position and the screen&apos;s colour as a swatch (%1 at most). Where the swatch&apos;s colour differs from the colour drawn, write &quot;#RRGGBB&quot; in the colour column.</translation>
    </message>
    <message>
        <source>番号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>位置</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>色</source>
        <translation>Colour</translation>
    </message>
    <message>
        <source>上へ</source>
        <translation>Up</translation>
    </message>
    <message>
        <source>下へ</source>
        <translation>Down</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>描画先の背景色</source>
        <translation>Target&apos;s background</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>スウォッチは %1 個までです</source>
        <translation>At most %1 swatches</translation>
    </message>
    <message>
        <source>画面の色を読めません。色の欄に描かれる色を書いてください。</source>
        <translation>The screen&apos;s colour cannot be read. Write the colour drawn in the colour column.</translation>
    </message>
    <message>
        <source>スウォッチ %1 個</source>
        <translation>%1 swatches</translation>
    </message>
</context>
<context>
    <name>stylorex::dlgSetting</name>
    <message>
        <source>線の抽出設定</source>
        <translation>Line extraction</translation>
    </message>
    <message>
        <source>値以下で抽出（黒輪郭など）</source>
        <translation>Up to a value (dark outlines)</translation>
    </message>
    <message>
        <source>値以下の色を抽出</source>
        <translation>extracts colours up to it</translation>
    </message>
    <message>
        <source>(デフォルト：80)</source>
        <translation>(default: 80)</translation>
    </message>
    <message>
        <source>白(240以上)以外を抽出</source>
        <translation>All but white (240 up)</translation>
    </message>
    <message>
        <source>ｷｬﾝｾﾙ</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>カラー（パレットの色で描く）</source>
        <translation>Colour (drawn in the palette&apos;s colours)</translation>
    </message>
    <message>
        <source>ディザ</source>
        <translation>Dither</translation>
    </message>
    <message>
        <source>なし</source>
        <translation>None</translation>
    </message>
    <message>
        <source>組織的ディザ（4×4）</source>
        <translation>Ordered (4×4)</translation>
    </message>
    <message>
        <source>誤差拡散</source>
        <translation>Error diffusion</translation>
    </message>
    <message>
        <source>描く順</source>
        <translation>Order</translation>
    </message>
    <message>
        <source>多い色から</source>
        <translation>Most used first</translation>
    </message>
    <message>
        <source>パレットの順</source>
        <translation>Palette order</translation>
    </message>
    <message>
        <source>画素の多い色から描き、最も暗い色を最後に描きます（輪郭が上に残ります）</source>
        <translation>Draws the colours with the most pixels first and the darkest last (outlines stay on top)</translation>
    </message>
    <message>
        <source>多い色から: </source>
        <translation>Most used first: </translation>
    </message>
    <message>
        <source>制限時間</source>
        <translation>Time limit</translation>
    </message>
    <message>
        <source> 秒</source>
        <translation> s</translation>
    </message>
    <message>
        <source>パレット…</source>
        <translation>Palette…</translation>
    </message>
    <message>
        <source>スウォッチなし</source>
        <translation>No swatches</translation>
    </message>
    <message>
        <source>スウォッチ %1 個</source>
        <translation>%1 swatches</translation>
    </message>
    <message>
        <source>ペン幅</source>
        <translation>Pen width</translation>
    </message>
    <message>
        <source> px</source>
        <translation> px</translation>
    </message>
    <message>
        <source>描画先のペンの太さ。2 以上では線の中心と、太さの間隔の塗りだけをなぞります。</source>
        <translation>The target&apos;s pen width. From 2 on, only the lines&apos; centres and fills spaced by the width are traced.</translation>
    </message>
</context>
<context>
    <name>stylorex::frmAbout</name>
    <message>
        <source>ﾊﾞｰｼﾞｮﾝ情報</source>
        <translation>About</translation>
    </message>
    <message>
        <source>ﾊﾞｰｼﾞｮﾝ   %1β</source>
        <translation>Version   %1 beta</translation>
    </message>
    <message>
        <source>小さな絵を、マウスを動かして他のソフトに描き写します</source>
        <translation>Draws a small picture into another program by moving the mouse</translation>
    </message>
</context>
<context>
    <name>stylorex::frmGraph</name>
    <message>
        <source>設定を保存できませんでした
</source>
        <translation>Could not save the settings
</translation>
    </message>
    <message>
        <source>（%1）</source>
        <translation> (%1)</translation>
    </message>
    <message>
        <source>言語は次の起動から切り替わります。</source>
        <translation>The language changes at the next start.</translation>
    </message>
    <message>
        <source>Wait: %1ms</source>
        <translation>Wait: %1ms</translation>
    </message>
    <message>
        <source>canvas:%1*%2</source>
        <translation>canvas:%1*%2</translation>
    </message>
</context>
</TS>
