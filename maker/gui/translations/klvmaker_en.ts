<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>klv::gui::DestScr</name>
    <message>
        <source>ピーステーブル</source>
        <translation>Piece table</translation>
    </message>
</context>
<context>
    <name>klv::gui::SourceScr</name>
    <message>
        <source>モーベルパズルメーカー</source>
        <translation>Puzzle Maker</translation>
    </message>
    <message>
        <source>ビットマップを選択</source>
        <translation>Choose a bitmap</translation>
    </message>
    <message>
        <source>画像サイズ</source>
        <translation>Picture size</translation>
    </message>
    <message>
        <source>背景色の選択</source>
        <translation>Background colour</translation>
    </message>
    <message>
        <source>黒</source>
        <translation>Black</translation>
    </message>
    <message>
        <source>青</source>
        <translation>Blue</translation>
    </message>
    <message>
        <source>緑</source>
        <translation>Green</translation>
    </message>
    <message>
        <source>シアン</source>
        <translation>Cyan</translation>
    </message>
    <message>
        <source>赤</source>
        <translation>Red</translation>
    </message>
    <message>
        <source>マゼンダ</source>
        <translation>Magenta</translation>
    </message>
    <message>
        <source>黄色</source>
        <translation>Yellow</translation>
    </message>
    <message>
        <source>白</source>
        <translation>White</translation>
    </message>
    <message>
        <source>保存先を選択</source>
        <translation>Choose where to save</translation>
    </message>
    <message>
        <source>パズル情報</source>
        <translation>Puzzle information</translation>
    </message>
    <message>
        <source>ﾊﾟｽﾞﾙｾｯﾄの名前（10ﾊﾞｲﾄまで）</source>
        <translation>Puzzle set name (10 bytes)</translation>
    </message>
    <message>
        <source>パズルの名前（15文字まで）</source>
        <translation>Puzzle name (15 characters)</translation>
    </message>
    <message>
        <source>画像の説明&#x3000;（255文字まで）</source>
        <translation>Description (255 characters)</translation>
    </message>
    <message>
        <source>難易度調整</source>
        <translation>Difficulty</translation>
    </message>
    <message>
        <source>ピースの濃度</source>
        <translation>Piece density</translation>
    </message>
    <message>
        <source>背景の濃度</source>
        <translation>Background density</translation>
    </message>
    <message>
        <source>分解</source>
        <translation>Make the puzzle</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>画像が大きすぎです</source>
        <translation>The picture is too large</translation>
    </message>
    <message>
        <source>ピース数： x = %1 , y = %2</source>
        <translation>Pieces: x = %1 , y = %2</translation>
    </message>
    <message>
        <source>ﾊﾟｽﾞﾙｾｯﾄ名</source>
        <translation>Puzzle set</translation>
    </message>
    <message>
        <source>ﾊﾟｽﾞﾙ名</source>
        <translation>Puzzle</translation>
    </message>
    <message>
        <source>コメント</source>
        <translation>Comment</translation>
    </message>
    <message>
        <source>コンバートが終了しました</source>
        <translation>The conversion has finished</translation>
    </message>
    <message>
        <source>コンバートに失敗しました</source>
        <translation>The conversion failed</translation>
    </message>
    <message>
        <source>KLVUtils が見つからないため、コンバートできませんでした</source>
        <translation>KLVUtils was not found, so nothing could be converted</translation>
    </message>
    <message>
        <source>作業ファイルを保存できませんでした</source>
        <translation>The work files could not be saved</translation>
    </message>
    <message>
        <source>フォルダを開けません</source>
        <translation>Cannot open the folder</translation>
    </message>
    <message>
        <source>ドライブを開けません</source>
        <translation>Cannot open the drive</translation>
    </message>
    <message>
        <source>画像を読み込めません</source>
        <translation>Cannot read the picture</translation>
    </message>
    <message>
        <source>この画像は保存先の作業ファイルと同じため、分解できません</source>
        <translation>This picture is one of the work files of the destination, so it cannot be broken apart</translation>
    </message>
</context>
</TS>
