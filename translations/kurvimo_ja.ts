<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>AboutDialog</name>
    <message>
        <source>About</source>
        <translation>バージョン情報</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Program icon</source>
        <translation>プログラムのアイコン</translation>
    </message>
    <message>
        <source>Kurvimo</source>
        <translation>Kurvimo</translation>
    </message>
    <message>
        <source>Version 1.0</source>
        <translation>Ver. 1.0</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Canvas</source>
        <translation>キャンバス</translation>
    </message>
    <message>
        <source>Magnification</source>
        <translation>倍率</translation>
    </message>
    <message>
        <source>X-axis</source>
        <translation>X軸</translation>
    </message>
    <message>
        <source>Y-axis</source>
        <translation>Y軸</translation>
    </message>
    <message>
        <source>Complex of figure</source>
        <translation>図形の複雑さ</translation>
    </message>
    <message>
        <source>Change speed of figure</source>
        <translation>図形の変化速度</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>色</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>開始</translation>
    </message>
    <message>
        <source>Older figure</source>
        <translation>前の図形</translation>
    </message>
    <message>
        <source>&lt;</source>
        <translation>&lt;</translation>
    </message>
    <message>
        <source>Newer figure</source>
        <translation>次の図形</translation>
    </message>
    <message>
        <source>&gt;</source>
        <translation>&gt;</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>消去</translation>
    </message>
    <message>
        <source>Display</source>
        <translation>再表示</translation>
    </message>
    <message>
        <source>Draw mode</source>
        <translation>描画モード</translation>
    </message>
    <message>
        <source>New</source>
        <translation>新規</translation>
    </message>
    <message>
        <source>Reserve</source>
        <translation>重ね描き</translation>
    </message>
    <message>
        <source>Figure</source>
        <translation>図形</translation>
    </message>
    <message>
        <source>Magnification value</source>
        <translation>倍率の値</translation>
    </message>
    <message>
        <source>X-axis value</source>
        <translation>X軸の値</translation>
    </message>
    <message>
        <source>Y-axis value</source>
        <translation>Y軸の値</translation>
    </message>
    <message>
        <source>Complex of figure value</source>
        <translation>図形の複雑さの値</translation>
    </message>
    <message>
        <source>Change speed of figure value</source>
        <translation>図形の変化速度の値</translation>
    </message>
    <message>
        <source>Figure count</source>
        <translation>図形の数</translation>
    </message>
    <message>
        <source>Figure offset in history</source>
        <translation>履歴での図形の位置</translation>
    </message>
    <message>
        <source>Color name</source>
        <translation>色の名前</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>ファイル(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>ヘルプ(&amp;H)</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>上書き保存(&amp;S)</translation>
    </message>
    <message>
        <source>Save &amp;As...</source>
        <translation>名前を付けて保存(&amp;A)...</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>終了(&amp;X)</translation>
    </message>
    <message>
        <source>&amp;Version</source>
        <translation>バージョン情報(&amp;V)</translation>
    </message>
</context>
<context>
    <name>SaveAsDialog</name>
    <message>
        <source>Save As...</source>
        <translation>名前を付けて保存</translation>
    </message>
    <message>
        <source>Drive</source>
        <translation>ドライブ</translation>
    </message>
    <message>
        <source>Folders</source>
        <translation>フォルダー</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>ファイル</translation>
    </message>
    <message>
        <source>File name</source>
        <translation>ファイル名</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
</context>
<context>
    <name>kurvimo::BitmapFile</name>
    <message>
        <source>the file is empty</source>
        <translation>ファイルが空です</translation>
    </message>
    <message>
        <source>it is not a Windows bitmap</source>
        <translation>Windows ビットマップではありません</translation>
    </message>
    <message>
        <source>its header is damaged or of an unknown kind</source>
        <translation>ヘッダーが壊れているか、知らない種類のものです</translation>
    </message>
    <message>
        <source>it ends inside its header</source>
        <translation>ヘッダーの途中で終わっています</translation>
    </message>
    <message>
        <source>it uses a compression or colour format that is not supported</source>
        <translation>対応していない圧縮形式か色形式を使っています</translation>
    </message>
    <message>
        <source>its header gives no size</source>
        <translation>ヘッダーに大きさがありません</translation>
    </message>
    <message>
        <source>its size of %1 × %2 pixels is too large</source>
        <translation>%1 × %2 ピクセルという大きさは大きすぎます</translation>
    </message>
    <message>
        <source>its header is damaged</source>
        <translation>ヘッダーが壊れています</translation>
    </message>
    <message>
        <source>it is cut short: its header announces %1 bytes, the file holds %2</source>
        <translation>途中で切れています: ヘッダーでは %1 バイトですが、ファイルは %2 バイトです</translation>
    </message>
    <message>
        <source>its pixels cannot be read</source>
        <translation>画素を読み取れません</translation>
    </message>
    <message>
        <source>its pixels do not match its header</source>
        <translation>画素がヘッダーと合いません</translation>
    </message>
    <message>
        <source>its pixels run outside the picture</source>
        <translation>画素が画像の外にはみ出しています</translation>
    </message>
    <message>
        <source>it is cut short: its pixels end before the picture does</source>
        <translation>途中で切れています: 画像の終わりより前に画素が尽きています</translation>
    </message>
</context>
<context>
    <name>kurvimo::HelpViewer</name>
    <message>
        <source>%1 Help</source>
        <translation>%1 ヘルプ</translation>
    </message>
    <message>
        <source>it is empty</source>
        <translation>空です</translation>
    </message>
    <message>
        <source>&lt;h2&gt;The help cannot be shown&lt;/h2&gt;&lt;p&gt;The help file &quot;%1&quot; cannot be read: %2.&lt;/p&gt;&lt;p&gt;It belongs in the program&apos;s folder, beside the program.&lt;/p&gt;</source>
        <translation>&lt;h2&gt;ヘルプを表示できません&lt;/h2&gt;&lt;p&gt;ヘルプファイル「%1」を読み取れません: %2。&lt;/p&gt;&lt;p&gt;このファイルはプログラムのフォルダーに、プログラムと並べて置きます。&lt;/p&gt;</translation>
    </message>
</context>
<context>
    <name>kurvimo::MainWindow</name>
    <message>
        <source>black</source>
        <translation>黒</translation>
    </message>
    <message>
        <source>blue</source>
        <translation>青</translation>
    </message>
    <message>
        <source>green</source>
        <translation>緑</translation>
    </message>
    <message>
        <source>cyan</source>
        <translation>シアン</translation>
    </message>
    <message>
        <source>red</source>
        <translation>赤</translation>
    </message>
    <message>
        <source>magenta</source>
        <translation>マゼンタ</translation>
    </message>
    <message>
        <source>yellow</source>
        <translation>黄</translation>
    </message>
    <message>
        <source>white</source>
        <translation>白</translation>
    </message>
    <message>
        <source>gray</source>
        <translation>灰色</translation>
    </message>
    <message>
        <source>light blue</source>
        <translation>明るい青</translation>
    </message>
    <message>
        <source>light green</source>
        <translation>明るい緑</translation>
    </message>
    <message>
        <source>light cyan</source>
        <translation>明るいシアン</translation>
    </message>
    <message>
        <source>light red</source>
        <translation>明るい赤</translation>
    </message>
    <message>
        <source>light magenta</source>
        <translation>明るいマゼンタ</translation>
    </message>
    <message>
        <source>light yellow</source>
        <translation>明るい黄</translation>
    </message>
    <message>
        <source>bright white</source>
        <translation>明るい白</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>開始</translation>
    </message>
    <message>
        <source>The figure was not started.

%1</source>
        <translation>図形を開始できませんでした。

%1</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot be used as the background: %2.</source>
        <translation>「%1」は背景に使えません: %2。</translation>
    </message>
    <message>
        <source>&quot;%1&quot; now holds the picture so far, in place of the one kept before, but cannot be read back: %2.</source>
        <translation>「%1」はこれまでの絵を前の絵に代えて保存しましたが、読み戻せません: %2。</translation>
    </message>
    <message>
        <source>The picture so far cannot be kept in &quot;%1&quot;: %2.</source>
        <translation>これまでの絵を「%1」に保存できません: %2。</translation>
    </message>
    <message>
        <source>The picture so far cannot be kept: there is no home folder for it.</source>
        <translation>これまでの絵を保存できません: 保存先のホームフォルダーがありません。</translation>
    </message>
    <message>
        <source>The picture so far cannot be kept: the folder &quot;%1&quot; cannot be made: %2.</source>
        <translation>これまでの絵を保存できません: フォルダー「%1」を作成できません: %2。</translation>
    </message>
</context>
<context>
    <name>kurvimo::QtRuntime</name>
    <message>
        <source>The help cannot be shown: &quot;%1&quot; does not start: %2.</source>
        <translation>ヘルプを表示できません: 「%1」が起動しません: %2。</translation>
    </message>
</context>
<context>
    <name>kurvimo::RegularFile</name>
    <message>
        <source>it is a folder, not a file</source>
        <translation>ファイルではなくフォルダーです</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>通常のファイルではありません</translation>
    </message>
    <message>
        <source>it is too large (%1 bytes)</source>
        <translation>大きすぎます (%1 バイト)</translation>
    </message>
</context>
<context>
    <name>kurvimo::SaveCommands</name>
    <message>
        <source>The picture was not saved.

&quot;%1&quot; cannot be written: %2.</source>
        <translation>絵を保存できませんでした。

「%1」に書き込めません: %2。</translation>
    </message>
</context>
</TS>
