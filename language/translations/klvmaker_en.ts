<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>DestScr</name>
    <message>
        <source>ピーステーブル</source>
        <translation>Piece table</translation>
    </message>
</context>
<context>
    <name>KLVUtils</name>
    <message>
        <source>画像の大きさが正しくありません: %1</source>
        <translation>The picture has an invalid size: %1</translation>
    </message>
    <message>
        <source>画像を読み込めませんでした: %1</source>
        <translation>Cannot load the picture: %1</translation>
    </message>
    <message>
        <source>タイルの数 (xMax × yMax) が 144 を超えています: %1</source>
        <translation>The number of tiles (xMax x yMax) is more than 144: %1</translation>
    </message>
    <message>
        <source>ファイルを保存できませんでした: %1</source>
        <translation>Cannot save the file: %1</translation>
    </message>
    <message>
        <source>作成できません</source>
        <translation>it cannot be created</translation>
    </message>
    <message>
        <source>書き込みに失敗しました</source>
        <translation>writing it failed</translation>
    </message>
    <message>
        <source>%2 が読み込まれていません</source>
        <translation>%2 is not loaded</translation>
    </message>
    <message>
        <source>%2 の情報ヘッダーが 40 バイトではありません</source>
        <translation>the info header of %2 is not 40 bytes long</translation>
    </message>
    <message>
        <source>%2 のデータがヘッダーの示す大きさに足りません</source>
        <translation>%2 holds less data than its header gives</translation>
    </message>
    <message>
        <source>%2 が変換の途中で変更されました</source>
        <translation>%2 was changed during the conversion</translation>
    </message>
    <message>
        <source>%1（%2）</source>
        <translation>%1 (%2)</translation>
    </message>
</context>
<context>
    <name>PackageWindow</name>
    <message>
        <source>パッケージ</source>
        <translation>Package</translation>
    </message>
    <message>
        <source>情報</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>画像</source>
        <translation>Pictures</translation>
    </message>
    <message>
        <source>試しに遊ぶ</source>
        <translation>Trial play</translation>
    </message>
    <message>
        <source>ファイル</source>
        <translation>File</translation>
    </message>
    <message>
        <source>ファイルのバージョン</source>
        <translation>File version</translation>
    </message>
    <message>
        <source>横のピース数</source>
        <translation>Pieces across</translation>
    </message>
    <message>
        <source>縦のピース数</source>
        <translation>Pieces down</translation>
    </message>
    <message>
        <source>ピースの大きさ</source>
        <translation>Piece size</translation>
    </message>
    <message>
        <source>画像の大きさ</source>
        <translation>Picture size</translation>
    </message>
    <message>
        <source>難易度</source>
        <translation>Difficulty</translation>
    </message>
    <message>
        <source>背景色</source>
        <translation>Background colour</translation>
    </message>
    <message>
        <source>パスワード</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>前のパスワード</source>
        <translation>Previous password</translation>
    </message>
    <message>
        <source>パズルセットの名前</source>
        <translation>Puzzle set name</translation>
    </message>
    <message>
        <source>パズルの名前</source>
        <translation>Puzzle name</translation>
    </message>
    <message>
        <source>画像の説明</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>（グリッドでは %1）</source>
        <translation>(%1 in the grid)</translation>
    </message>
    <message>
        <source>ピースの数</source>
        <translation>Pieces</translation>
    </message>
    <message>
        <source>ファイルの大きさ</source>
        <translation>File size</translation>
    </message>
    <message>
        <source>%1 バイト</source>
        <translation>%1 bytes</translation>
    </message>
    <message>
        <source>問題はありません</source>
        <translation>No problems</translation>
    </message>
    <message>
        <source>問題が %1 件あります</source>
        <translation>%1 problems</translation>
    </message>
    <message>
        <source>（読めませんでした）</source>
        <translation>(could not be read)</translation>
    </message>
    <message>
        <source>台紙</source>
        <translation>Base</translation>
    </message>
    <message>
        <source>台紙とピース（並び順）</source>
        <translation>Base and pieces (in order)</translation>
    </message>
    <message>
        <source>完成図</source>
        <translation>Solved picture</translation>
    </message>
    <message>
        <source>（ピースがありません）</source>
        <translation>(no pieces)</translation>
    </message>
    <message>
        <source>パズルが完成しました</source>
        <translation>The puzzle is complete</translation>
    </message>
    <message>
        <source>ピースをちらし直す</source>
        <translation>Scatter the pieces again</translation>
    </message>
    <message>
        <source>はめたピース： %1 / %2</source>
        <translation>Pieces placed: %1 / %2</translation>
    </message>
    <message>
        <source>パズルファイルを開けません</source>
        <translation>Cannot open the puzzle package</translation>
    </message>
    <message>
        <source>パズルファイルではありません</source>
        <translation>not a puzzle package</translation>
    </message>
    <message>
        <source>%1 にはシステムのコードページで表せない文字があります</source>
        <translation>%1 has characters that the system&apos;s code page cannot hold</translation>
    </message>
</context>
<context>
    <name>SourceScr</name>
    <message>
        <source>画像サイズ</source>
        <translation>Picture size</translation>
    </message>
    <message>
        <source>モーベルパズルメーカー</source>
        <translation>Puzzle Maker</translation>
    </message>
    <message>
        <source>ビットマップを選択</source>
        <translation>Choose a bitmap</translation>
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
        <source>画像が小さすぎです</source>
        <translation>The picture is too small</translation>
    </message>
    <message>
        <source>ピース数： x = %1 , y = %2</source>
        <translation>Pieces: x = %1 , y = %2</translation>
    </message>
    <message>
        <source>グリッドに合わせて縮小しますか？</source>
        <translation>Fit it to the grid?</translation>
    </message>
    <message>
        <source>画像を読み込めません</source>
        <translation>Cannot read the picture</translation>
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
        <source>保存先のフォルダを使えません</source>
        <translation>The destination folder cannot be used</translation>
    </message>
    <message>
        <source>%1 にはシステムのコードページで表せない文字があります</source>
        <translation>%1 has characters that the system&apos;s code page cannot hold</translation>
    </message>
    <message>
        <source>保存先に「%1」があります。置き換えますか？</source>
        <translation>%1 is already in the destination folder. Replace it?</translation>
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
        <source>パズル名が正しくありません</source>
        <translation>The puzzle name cannot be used</translation>
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
        <source>パズルファイルを保存先に置けませんでした</source>
        <translation>The puzzle file could not be put into the destination folder</translation>
    </message>
    <message>
        <source>パズル名を入力してください</source>
        <translation>Enter a puzzle name</translation>
    </message>
    <message>
        <source>パズル名に制御文字（タブ、改行）は使えません</source>
        <translation>A puzzle name cannot hold control characters (tabs, line breaks)</translation>
    </message>
    <message>
        <source>パズル名を引用符で囲むことはできません</source>
        <translation>A puzzle name cannot be enclosed in quotes</translation>
    </message>
    <message>
        <source>パズル名にフォルダの区切り文字は使えません</source>
        <translation>A puzzle name cannot hold a folder separator</translation>
    </message>
    <message>
        <source>はい</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>いいえ</source>
        <translation>No</translation>
    </message>
</context>
<context>
    <name>WebPage</name>
    <message>
        <source>ファイル</source>
        <translation>File</translation>
    </message>
    <message>
        <source>ファイルのバージョン</source>
        <translation>File version</translation>
    </message>
    <message>
        <source>横のピース数</source>
        <translation>Pieces across</translation>
    </message>
    <message>
        <source>縦のピース数</source>
        <translation>Pieces down</translation>
    </message>
    <message>
        <source>ピースの大きさ</source>
        <translation>Piece size</translation>
    </message>
    <message>
        <source>画像の大きさ</source>
        <translation>Picture size</translation>
    </message>
    <message>
        <source>難易度</source>
        <translation>Difficulty</translation>
    </message>
    <message>
        <source>背景色</source>
        <translation>Background colour</translation>
    </message>
    <message>
        <source>パスワード</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>前のパスワード</source>
        <translation>Previous password</translation>
    </message>
    <message>
        <source>パズルセットの名前</source>
        <translation>Puzzle set name</translation>
    </message>
    <message>
        <source>パズルの名前</source>
        <translation>Puzzle name</translation>
    </message>
    <message>
        <source>画像の説明</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>ヘッダー</source>
        <translation>Header</translation>
    </message>
    <message>
        <source>読めませんでした</source>
        <translation>could not be read</translation>
    </message>
    <message>
        <source>（グリッドでは %1）</source>
        <translation>(%1 in the grid)</translation>
    </message>
    <message>
        <source>ピースの数</source>
        <translation>Pieces</translation>
    </message>
    <message>
        <source>ファイルの大きさ</source>
        <translation>File size</translation>
    </message>
    <message>
        <source>%1 バイト</source>
        <translation>%1 bytes</translation>
    </message>
    <message>
        <source>問題はありません</source>
        <translation>No problems</translation>
    </message>
    <message>
        <source>問題が %1 件あります</source>
        <translation>%1 problems</translation>
    </message>
    <message>
        <source>写真を選ぶ</source>
        <translation>Choose a photo</translation>
    </message>
    <message>
        <source>写真（PNG、JPEG、WebP、BMP）かパズルファイル（.klv）を選ぶか、このページにドロップしてください。</source>
        <translation>Choose a photo (PNG, JPEG, WebP, BMP) or a puzzle file (.klv), or drop one on this page.</translation>
    </message>
    <message>
        <source>写真はどこにも送られません。パズルはこのブラウザの中で作られます。</source>
        <translation>Your photo is sent nowhere: the puzzle is made inside this browser.</translation>
    </message>
    <message>
        <source>写真の上をドラッグすると、囲んだ部分だけでパズルを作ります。</source>
        <translation>Drag over the photo to make the puzzle of that part only.</translation>
    </message>
    <message>
        <source>写真全体を使う</source>
        <translation>Use the whole photo</translation>
    </message>
    <message>
        <source>「%1」をダウンロードしました。</source>
        <translation>%1 was downloaded.</translation>
    </message>
    <message>
        <source>パズルを作る</source>
        <translation>Make a puzzle</translation>
    </message>
    <message>
        <source>情報</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>試しに遊ぶ</source>
        <translation>Trial play</translation>
    </message>
    <message>
        <source>パズルが完成しました</source>
        <translation>The puzzle is complete</translation>
    </message>
    <message>
        <source>ピースをちらし直す</source>
        <translation>Scatter the pieces again</translation>
    </message>
    <message>
        <source>はめたピース： %1 / %2</source>
        <translation>Pieces placed: %1 / %2</translation>
    </message>
</context>
<context>
    <name>klv::gui::MessageBoxPresenter</name>
    <message>
        <source>はい</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>いいえ</source>
        <translation>No</translation>
    </message>
</context>
<context>
    <name>klvmake</name>
    <message>
        <source>ピース数： x = %1 , y = %2</source>
        <translation>Pieces: x = %1 , y = %2</translation>
    </message>
    <message>
        <source>画像が大きすぎです (%1 x %2 pixels; a picture may be at most %3 x %3 pixels; --fit fits it to the grid)</source>
        <translation>the picture is too large (%1 x %2 pixels; a picture may be at most %3 x %3 pixels; --fit fits it to the grid)</translation>
    </message>
    <message>
        <source>画像が小さすぎです (%1 x %2 pixels; a picture needs at least %3 x %3 pixels, one tile)</source>
        <translation>the picture is too small (%1 x %2 pixels; a picture needs at least %3 x %3 pixels, one tile)</translation>
    </message>
</context>
<context>
    <name>klvmaker</name>
    <message>
        <source>ファイルを開けません</source>
        <translation>Cannot open the file</translation>
    </message>
    <message>
        <source>%1 にはシステムのコードページで表せない文字があります</source>
        <translation>%1 has characters that the system&apos;s code page cannot hold</translation>
    </message>
    <message>
        <source>知らないオプションです: %1</source>
        <translation>Unknown option: %1</translation>
    </message>
    <message>
        <source>開ける画像は一つだけです（パズルファイルはいくつでも開けます）</source>
        <translation>Only one picture can be opened (puzzle packages, any number)</translation>
    </message>
</context>
</TS>
