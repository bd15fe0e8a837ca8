<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_TW">
<context>
    <name>AllPropsView</name>
    <message>
        <source>全部道具</source>
        <translation>All props</translation>
    </message>
    <message>
        <source>沒有分配道具的軌道（裝置 &gt; 道具分配）</source>
        <translation>No track has a prop (Device &gt; Props)</translation>
    </message>
    <message>
        <source>軌道 %1</source>
        <translation>Track %1</translation>
    </message>
    <message>
        <source>%1（軌道 %2）</source>
        <translation>%1 (track %2)</translation>
    </message>
</context>
<context>
    <name>DeviceMaintenance</name>
    <message>
        <source>偵測不到裝置！</source>
        <translation>No device detected!</translation>
    </message>
    <message>
        <source>記憶體清除完成</source>
        <translation>wipe finished</translation>
    </message>
    <message>
        <source>清除記憶體逾時</source>
        <translation>wipe time out</translation>
    </message>
    <message>
        <source>與道具的連線中斷，記憶體可能未清除完成。</source>
        <translation>The connection to the prop was lost; the memory may not be wiped completely.</translation>
    </message>
    <message>
        <source>找不到燒錄程式 %1</source>
        <translation>Flashing script not found: %1</translation>
    </message>
    <message>
        <source>找不到韌體檔案 %1</source>
        <translation>Firmware file not found: %1</translation>
    </message>
    <message>
        <source>找不到裝置！</source>
        <translation>No device found!!</translation>
    </message>
    <message>
        <source>無法啟動燒錄程式 %1</source>
        <translation>Cannot start the flashing script %1</translation>
    </message>
    <message>
        <source>韌體檔案 %1 已不是更新程式下載並檢查過的檔案，不會燒錄。請重新執行更新。</source>
        <translation>The firmware file %1 is no longer the one the updater downloaded and checked; it is not flashed. Please run the update again.</translation>
    </message>
    <message>
        <source>無法使用韌體檔案 %1：%2</source>
        <translation>Cannot use the firmware file %1: %2</translation>
    </message>
</context>
<context>
    <name>ExportUpload</name>
    <message>
        <source>輸出中</source>
        <translation>uploading</translation>
    </message>
    <message>
        <source>無可上傳圖樣</source>
        <translation>No uploadable pattern</translation>
    </message>
    <message>
        <source>請選擇正確之時間軸</source>
        <translation>Please choose the correct track</translation>
    </message>
    <message>
        <source>道具秀只能描述 1 至 255 顆 LED，目前的 LED 數為 %1。</source>
        <translation>A show image describes 1 to 255 LEDs; the LED count is %1.</translation>
    </message>
    <message>
        <source>請先選擇道具，或設定頻率（Freq.）。</source>
        <translation>Choose a prop first, or set the frequency (Freq.).</translation>
    </message>
    <message>
        <source>這條時間軸需要 %1 個區塊，道具秀最多 255 個。請減少圖樣或縮短圖樣間的空白。</source>
        <translation>This track needs %1 blocks; a show holds at most 255. Use fewer modes or shorten the pauses between them.</translation>
    </message>
    <message>
        <source>無法寫入秀的暫存檔 %1：%2</source>
        <translation>Cannot write the show image file %1: %2</translation>
    </message>
    <message>
        <source>轉檔中...</source>
        <translation>converting...</translation>
    </message>
    <message>
        <source>上傳至道具</source>
        <translation>upload to device</translation>
    </message>
    <message>
        <source>傳輸中...</source>
        <translation>Uploading...</translation>
    </message>
    <message>
        <source>已取消上傳</source>
        <translation>Canceled</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>finish</translation>
    </message>
    <message>
        <source>上傳完成</source>
        <translation>Upload finished</translation>
    </message>
    <message>
        <source>上傳進行中，請等上傳結束後再匯出。</source>
        <translation>An upload is running; export when it has ended.</translation>
    </message>
    <message>
        <source>匯出</source>
        <translation>export</translation>
    </message>
    <message>
        <source>無法寫入檔案 %1：%2</source>
        <translation>Cannot write the file %1: %2</translation>
    </message>
    <message>
        <source>道具秀檔案已寫入：%1</source>
        <translation>Show file written: %1</translation>
    </message>
    <message>
        <source>軌道 %1 是空的，沒有圖樣可輸出。</source>
        <translation>Track %1 is empty: it has no modes to send.</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>讀取音樂</source>
        <translation>load music</translation>
    </message>
    <message>
        <source>播放/暫停</source>
        <translation>play/pause</translation>
    </message>
    <message>
        <source>Space</source>
        <translation></translation>
    </message>
    <message>
        <source>停止播放</source>
        <translation>stop</translation>
    </message>
    <message>
        <source>時間軸總長</source>
        <translation>timeline length</translation>
    </message>
    <message>
        <source>此設定不會影響輸出</source>
        <translation>This setting has no effect with the output</translation>
    </message>
    <message>
        <source>...</source>
        <translation></translation>
    </message>
    <message>
        <source>靜止</source>
        <translation>static</translation>
    </message>
    <message>
        <source>▲</source>
        <translation></translation>
    </message>
    <message>
        <source>上移軌道</source>
        <translation>move track up</translation>
    </message>
    <message>
        <source>▼</source>
        <translation></translation>
    </message>
    <message>
        <source>下移軌道</source>
        <translation>move track down</translation>
    </message>
    <message>
        <source>+</source>
        <translation></translation>
    </message>
    <message>
        <source>增加軌道</source>
        <translation>Add track</translation>
    </message>
    <message>
        <source>-</source>
        <translation></translation>
    </message>
    <message>
        <source>刪除軌道</source>
        <translation>remove track</translation>
    </message>
    <message>
        <source>Ctrl+滑鼠滾輪</source>
        <translation>Ctrl+Wheel</translation>
    </message>
    <message>
        <source>縮放時間軸</source>
        <translation>zoom timeline</translation>
    </message>
    <message>
        <source>圖樣數：0</source>
        <translation>modes:0</translation>
    </message>
    <message>
        <source>輸出至</source>
        <translation>output to</translation>
    </message>
    <message>
        <source>循環播放</source>
        <translation>loop</translation>
    </message>
    <message>
        <source>匯出</source>
        <translation>export</translation>
    </message>
    <message>
        <source>上傳至道具</source>
        <translation>upload to device</translation>
    </message>
    <message>
        <source>檔案</source>
        <translation>File</translation>
    </message>
    <message>
        <source>編輯</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>其他</source>
        <translation>setting</translation>
    </message>
    <message>
        <source>選擇道具</source>
        <translation>gadgets</translation>
    </message>
    <message>
        <source>Freq.</source>
        <translation></translation>
    </message>
    <message>
        <source>Leds</source>
        <translation></translation>
    </message>
    <message>
        <source>使用圖片</source>
        <translation>Picture</translation>
    </message>
    <message>
        <source>讀入圖片</source>
        <translation>Load picture</translation>
    </message>
    <message>
        <source>螢幕截圖</source>
        <translation>Screen Shot</translation>
    </message>
    <message>
        <source>水平翻轉</source>
        <translation>horizontal flip</translation>
    </message>
    <message>
        <source>垂直翻轉</source>
        <translation>Vertical flip</translation>
    </message>
    <message>
        <source>圖片間距</source>
        <translation>picture spacing</translation>
    </message>
    <message>
        <source>單色</source>
        <translation>Color</translation>
    </message>
    <message>
        <source>調色盤</source>
        <translation>Palette</translation>
    </message>
    <message>
        <source>文字</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>文字...</source>
        <translation>Text...</translation>
    </message>
    <message>
        <source>1</source>
        <translation></translation>
    </message>
    <message>
        <source>2</source>
        <translation></translation>
    </message>
    <message>
        <source>3</source>
        <translation></translation>
    </message>
    <message>
        <source>4</source>
        <translation></translation>
    </message>
    <message>
        <source>5</source>
        <translation></translation>
    </message>
    <message>
        <source>6</source>
        <translation></translation>
    </message>
    <message>
        <source>7</source>
        <translation></translation>
    </message>
    <message>
        <source>8</source>
        <translation></translation>
    </message>
    <message>
        <source>9</source>
        <translation></translation>
    </message>
    <message>
        <source>10</source>
        <translation></translation>
    </message>
    <message>
        <source>文字色</source>
        <translation>Front</translation>
    </message>
    <message>
        <source>背景色</source>
        <translation>Background</translation>
    </message>
    <message>
        <source>⇄</source>
        <translation></translation>
    </message>
    <message>
        <source>交換顏色</source>
        <translation>swap colours</translation>
    </message>
    <message>
        <source>圖騰</source>
        <translation>Effect</translation>
    </message>
    <message>
        <source>閃爍</source>
        <translation>flash</translation>
    </message>
    <message>
        <source>鋸齒</source>
        <translation>windmill</translation>
    </message>
    <message>
        <source>跳躍</source>
        <translation>jump</translation>
    </message>
    <message>
        <source>淡入淡出</source>
        <translation>fade</translation>
    </message>
    <message>
        <source>彩虹</source>
        <translation>rainbow</translation>
    </message>
    <message>
        <source>箭頭</source>
        <translation>arrow</translation>
    </message>
    <message>
        <source>箭頭2</source>
        <translation>arrow2</translation>
    </message>
    <message>
        <source>流星</source>
        <translation>meteor</translation>
    </message>
    <message>
        <source>流星2</source>
        <translation>meteor2</translation>
    </message>
    <message>
        <source>方塊</source>
        <translation>box</translation>
    </message>
    <message>
        <source>靜態1</source>
        <translation>static1</translation>
    </message>
    <message>
        <source>靜態2</source>
        <translation>static2</translation>
    </message>
    <message>
        <source>靜態3</source>
        <translation>static3</translation>
    </message>
    <message>
        <source>靜態4</source>
        <translation>static4</translation>
    </message>
    <message>
        <source>隨機</source>
        <translation>random</translation>
    </message>
    <message>
        <source>寬度</source>
        <translation>Width</translation>
    </message>
    <message>
        <source>三色分離</source>
        <translation>Separate RGB</translation>
    </message>
    <message>
        <source>前景色</source>
        <translation>Front</translation>
    </message>
    <message>
        <source>重複次數</source>
        <translation>repeat</translation>
    </message>
    <message>
        <source>次 </source>
        <translation>times</translation>
    </message>
    <message>
        <source>＝</source>
        <translation></translation>
    </message>
    <message>
        <source>自動計算</source>
        <translation>auto</translation>
    </message>
    <message>
        <source>慢</source>
        <translation>slower</translation>
    </message>
    <message>
        <source>快</source>
        <translation>faster</translation>
    </message>
    <message>
        <source>開始時間</source>
        <translation>start</translation>
    </message>
    <message>
        <source>～</source>
        <translation></translation>
    </message>
    <message>
        <source>結束時間</source>
        <translation>end</translation>
    </message>
    <message>
        <source>持續時間</source>
        <translation>duration</translation>
    </message>
    <message>
        <source>  取消選取  </source>
        <translation>  cancel selection  </translation>
    </message>
    <message>
        <source>插入圖樣</source>
        <translation>insert mode</translation>
    </message>
    <message>
        <source>開新檔案</source>
        <translation>New</translation>
    </message>
    <message>
        <source>Ctrl+N</source>
        <translation></translation>
    </message>
    <message>
        <source>讀檔...</source>
        <translation>Load...</translation>
    </message>
    <message>
        <source>Ctrl+L</source>
        <translation></translation>
    </message>
    <message>
        <source>存檔...</source>
        <translation>Save...</translation>
    </message>
    <message>
        <source>Ctrl+S</source>
        <translation></translation>
    </message>
    <message>
        <source>另存新檔...</source>
        <translation>Save as...</translation>
    </message>
    <message>
        <source>Ctrl+Shift+S</source>
        <translation></translation>
    </message>
    <message>
        <source>取代圖片位置...</source>
        <translation>Replace pics...</translation>
    </message>
    <message>
        <source>取代圖片位置</source>
        <translation>replace pictures dir</translation>
    </message>
    <message>
        <source>匯出圖庫...</source>
        <translation>export pics...</translation>
    </message>
    <message>
        <source>將用到的圖片匯出至單一資料夾</source>
        <translation>export the pictures in use to a single folder</translation>
    </message>
    <message>
        <source>復原</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>Ctrl+Z</source>
        <translation></translation>
    </message>
    <message>
        <source>重作</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>Ctrl+Y</source>
        <translation></translation>
    </message>
    <message>
        <source>複製</source>
        <translation>copy</translation>
    </message>
    <message>
        <source>Ctrl+C</source>
        <translation></translation>
    </message>
    <message>
        <source>貼上</source>
        <translation>Paste</translation>
    </message>
    <message>
        <source>Ctrl+V</source>
        <translation></translation>
    </message>
    <message>
        <source>上傳</source>
        <translation>Upload</translation>
    </message>
    <message>
        <source>Ctrl+U</source>
        <translation></translation>
    </message>
    <message>
        <source>偏好設定...</source>
        <translation>Preference...</translation>
    </message>
    <message>
        <source>新增/確認</source>
        <translation></translation>
    </message>
    <message>
        <source>Return</source>
        <translation></translation>
    </message>
    <message>
        <source>關於...</source>
        <translation>about...</translation>
    </message>
    <message>
        <source>繁體中文</source>
        <translation></translation>
    </message>
    <message>
        <source>English</source>
        <translation></translation>
    </message>
    <message>
        <source>清除記憶體</source>
        <translation>wipe memory</translation>
    </message>
    <message>
        <source>更新韌體...</source>
        <translation>Firmware update...</translation>
    </message>
    <message>
        <source>後台...</source>
        <translation>Terminal...</translation>
    </message>
    <message>
        <source>Ctrl+Shift+M</source>
        <translation></translation>
    </message>
    <message>
        <source>Song Play</source>
        <translation></translation>
    </message>
    <message>
        <source>音樂播放/暫停</source>
        <translation>music play/pause</translation>
    </message>
    <message>
        <source>預覽視窗...</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>自訂...</source>
        <translation>Custom...</translation>
    </message>
    <message>
        <source>重啟程式後生效</source>
        <translation></translation>
    </message>
    <message>
        <source>Change after restart.</source>
        <translation></translation>
    </message>
    <message>
        <source>解析度過低</source>
        <translation>Low resolution warning</translation>
    </message>
    <message>
        <source>最低解析度1280*720</source>
        <translation>Limit 1280*720</translation>
    </message>
    <message>
        <source>&lt;font color=&apos;white&apos;&gt;關閉前儲存？&lt;/font&gt;</source>
        <translation>&lt;font color=&apos;white&apos;&gt;Save before close？&lt;/font&gt;</translation>
    </message>
    <message>
        <source>無法辨識的副檔名 .</source>
        <translation>Unrecognised file extension .</translation>
    </message>
    <message>
        <source>圖樣數：</source>
        <translation>modes:</translation>
    </message>
    <message>
        <source>選歌</source>
        <translation>Choose song</translation>
    </message>
    <message>
        <source>(*.mp3 *.wav);;All files (*.*)</source>
        <translation></translation>
    </message>
    <message>
        <source>錯誤</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>「%1」不是本程式能讀取的音樂檔（MP3 或 WAV）。</source>
        <translation>&quot;%1&quot; is not a song this program can read (MP3 or WAV).</translation>
    </message>
    <message>
        <source>
原本的音樂「%1」保持不變。</source>
        <translation>
The song &quot;%1&quot; that was loaded stays.</translation>
    </message>
    <message>
        <source>對齊節拍</source>
        <translation>Snap to beats</translation>
    </message>
    <message>
        <source>匯出影片...</source>
        <translation>Export video...</translation>
    </message>
    <message>
        <source>裝置</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>道具分配...</source>
        <translation>Props...</translation>
    </message>
    <message>
        <source>全部道具</source>
        <translation>All props</translation>
    </message>
    <message>
        <source>全部上傳</source>
        <translation>Upload all</translation>
    </message>
    <message>
        <source>節拍</source>
        <translation>Beats</translation>
    </message>
</context>
<context>
    <name>Pass</name>
    <message>
        <source>後台密碼</source>
        <translation>admin password</translation>
    </message>
    <message>
        <source>密碼</source>
        <translation>password</translation>
    </message>
    <message>
        <source>密碼錯誤</source>
        <translation>wrong password</translation>
    </message>
</context>
<context>
    <name>PropsDialog</name>
    <message>
        <source>道具分配</source>
        <translation>Props</translation>
    </message>
    <message>
        <source>軌道</source>
        <translation>Track</translation>
    </message>
    <message>
        <source>表演者</source>
        <translation>Performer</translation>
    </message>
    <message>
        <source>序列埠</source>
        <translation>Serial port</translation>
    </message>
    <message>
        <source>未分配</source>
        <translation>not assigned</translation>
    </message>
    <message>
        <source>軌道 %1</source>
        <translation>Track %1</translation>
    </message>
    <message>
        <source>每條軌道可交給一位表演者的道具；沒有序列埠的軌道不會上傳。</source>
        <translation>Each track can go to one performer&apos;s prop; tracks without a serial port are not uploaded.</translation>
    </message>
</context>
<context>
    <name>Timeline</name>
    <message>
        <source>圖樣</source>
        <translation>pattern</translation>
    </message>
    <message>
        <source>貼上</source>
        <translation>Paste</translation>
    </message>
    <message>
        <source>複製時間軸</source>
        <translation>duplicate track</translation>
    </message>
    <message>
        <source>移除時間軸</source>
        <translation>remove track</translation>
    </message>
    <message>
        <source>長度: </source>
        <translation>length: </translation>
    </message>
    <message>
        <source>
結束時間: </source>
        <translation>
end time: </translation>
    </message>
    <message>
        <source>
開始時間: </source>
        <translation>
start time: </translation>
    </message>
</context>
<context>
    <name>TimelineHeaders</name>
    <message>
        <source>時間軸</source>
        <translation>Timeline</translation>
    </message>
    <message>
        <source>設定起始</source>
        <translation>Set start</translation>
    </message>
    <message>
        <source>取消起始</source>
        <translation>Cancel start</translation>
    </message>
</context>
<context>
    <name>TimelineItem</name>
    <message>
        <source>長度: </source>
        <translation>length: </translation>
    </message>
    <message>
        <source>
開始時間: </source>
        <translation>
start time: </translation>
    </message>
    <message>
        <source>
結束時間: </source>
        <translation>
end time: </translation>
    </message>
    <message>
        <source>圖樣</source>
        <translation>pattern</translation>
    </message>
    <message>
        <source>移除</source>
        <translation>remove</translation>
    </message>
    <message>
        <source>複製</source>
        <translation>copy</translation>
    </message>
    <message>
        <source>剪下</source>
        <translation>cut</translation>
    </message>
</context>
<context>
    <name>UploadAllDialog</name>
    <message>
        <source>全部上傳</source>
        <translation>Upload all</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>軌道 %1</source>
        <translation>track %1</translation>
    </message>
    <message>
        <source>沒有軌道分配了道具的序列埠（裝置 &gt; 道具分配）。</source>
        <translation>No track has a prop&apos;s serial port (Device &gt; Props).</translation>
    </message>
    <message>
        <source>%1 的軌道 %2 無法轉檔，沒有送出任何資料。</source>
        <translation>Track %2 of %1 cannot be converted; nothing was sent.</translation>
    </message>
    <message>
        <source>這些序列埠找不到或正被使用，沒有送出任何資料：</source>
        <translation>These serial ports are missing or in use; nothing was sent:</translation>
    </message>
    <message>
        <source>等待道具</source>
        <translation>waiting for the prop</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>done</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>已收到表演：%1。</source>
        <translation>Got the show: %1. </translation>
    </message>
    <message>
        <source>沒有收到：%1。</source>
        <translation>Did not get it: %1.</translation>
    </message>
    <message>
        <source>關閉</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>WorkerThread</name>
    <message>
        <source>偵測不到裝置！</source>
        <translation>No device detected!</translation>
    </message>
    <message>
        <source>輸出錯誤！</source>
        <translation>export error!</translation>
    </message>
    <message>
        <source>與道具的連線中斷，道具上的秀可能不完整。</source>
        <translation>The connection to the prop was lost; the show on the prop may be incomplete.</translation>
    </message>
    <message>
        <source>道具未確認收到秀，請重新上傳。</source>
        <translation>The prop did not confirm the show; please upload again.</translation>
    </message>
    <message>
        <source>ERROR01：道具沒有回應秀槽的選擇。請確認道具已開機並在等待上傳，再上傳一次。</source>
        <translation>ERROR01: the prop did not answer the choice of show slot. Check that it is switched on and waiting for an upload, then upload again.</translation>
    </message>
    <message>
        <source>ERROR02：道具拒絕在這個秀槽接收秀，道具上原本的秀保持不變。請重新啟動道具，再上傳一次或換一個秀槽。</source>
        <translation>ERROR02: the prop refused to take a show into this slot; the show it holds is unchanged. Restart the prop, then upload again or choose another slot.</translation>
    </message>
    <message>
        <source>道具停止接收資料，上傳已停止，道具上的秀可能不完整。請重新啟動道具，再上傳一次。</source>
        <translation>The prop stopped taking data and the upload was stopped; the show on the prop may be incomplete. Restart the prop, then upload again.</translation>
    </message>
    <message>
        <source>道具在接收秀時回報錯誤，道具上的秀可能不完整。請重新啟動道具，再上傳一次。</source>
        <translation>The prop reported an error while taking the show; the show on the prop may be incomplete. Restart the prop, then upload again.</translation>
    </message>
</context>
<context>
    <name>about</name>
    <message>
        <source>生產經銷</source>
        <translation>Production &amp; distribution</translation>
    </message>
    <message>
        <source>研發設計</source>
        <translation>Research &amp; design</translation>
    </message>
    <message>
        <source>檢查更新...</source>
        <translation>check update...</translation>
    </message>
    <message>
        <source>進入軟體</source>
        <translation>Enter</translation>
    </message>
    <message>
        <source>開新檔案</source>
        <translation>New</translation>
    </message>
    <message>
        <source>開啟舊檔...</source>
        <translation>Open file...</translation>
    </message>
    <message>
        <source>找不到更新程式</source>
        <translation>The updater program was not found</translation>
    </message>
    <message>
        <source>已是最新版本</source>
        <translation>Already the latest version</translation>
    </message>
    <message>
        <source>有更新 </source>
        <translation>New version </translation>
    </message>
    <message>
        <source>最新版為ver</source>
        <translation>latest is ver</translation>
    </message>
    <message>
        <source>是否更新？&lt;br&gt;</source>
        <translation>Update? &lt;br&gt;</translation>
    </message>
    <message>
        <source>無法啟動更新程式：%1</source>
        <translation>Cannot start the updater: %1</translation>
    </message>
    <message>
        <source>讀檔</source>
        <translation>Load</translation>
    </message>
</context>
<context>
    <name>setup</name>
    <message>
        <source>自動捲動</source>
        <translation>auto-scroll</translation>
    </message>
    <message>
        <source>AS:切換燈種 AT:系統資訊 A0:全速測試模式 AP#:啟動第#軌</source>
        <translation>AS: switch LED type  AT: system information  A0: full-speed test mode  AP#: start show slot #</translation>
    </message>
    <message>
        <source>連線中...</source>
        <translation>connecting...</translation>
    </message>
    <message>
        <source>偵測不到裝置！</source>
        <translation>No device detected!</translation>
    </message>
    <message>
        <source>連接成功</source>
        <translation> connected</translation>
    </message>
</context>
<context>
    <name>updater</name>
    <message>
        <source>已是最新版本</source>
        <translation>Already the latest version</translation>
    </message>
    <message>
        <source>無法寫入 %1：%2</source>
        <translation>Cannot write %1: %2</translation>
    </message>
    <message>
        <source>下載完成</source>
        <translation>Download complete</translation>
    </message>
    <message>
        <source>無法啟動安裝程式：%1</source>
        <translation>Cannot start the installer: %1</translation>
    </message>
    <message>
        <source>下載的檔案大於允許的 %1 位元組，已停止下載。</source>
        <translation>The download is larger than the %1 bytes allowed; it was stopped.</translation>
    </message>
    <message>
        <source>下載的檔案與簽署的版本檔不符，已捨棄。</source>
        <translation>The download does not match the signed version file; it was discarded.</translation>
    </message>
    <message>
        <source>更新失敗</source>
        <translation>Update failed</translation>
    </message>
</context>
<context>
    <name>vc::AutoSave</name>
    <message>
        <source>未命名專案</source>
        <translation>Untitled project</translation>
    </message>
    <message>
        <source>編輯器上次未正常關閉，留下了專案的復原副本。
專案：%1
副本時間：%2
要恢復這份副本嗎？</source>
        <translation>The editor did not close normally last time and left a recovery copy of a project.
Project: %1
Copy made: %2
Restore this copy?</translation>
    </message>
    <message>
        <source>恢復專案</source>
        <translation>Restore project</translation>
    </message>
    <message>
        <source>恢復</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>捨棄</source>
        <translation>Discard</translation>
    </message>
    <message>
        <source>稍後再說</source>
        <translation>Later</translation>
    </message>
</context>
<context>
    <name>vc::BeatCorrections</name>
    <message>
        <source>打拍子設定速度</source>
        <translation>Tap Tempo</translation>
    </message>
    <message>
        <source>節拍</source>
        <translation>Beats</translation>
    </message>
    <message>
        <source>速度減半</source>
        <translation>Halve Tempo</translation>
    </message>
    <message>
        <source>速度加倍</source>
        <translation>Double Tempo</translation>
    </message>
    <message>
        <source>小節從播放位置開始</source>
        <translation>Bar Starts at Play Position</translation>
    </message>
    <message>
        <source>小節從這裡開始</source>
        <translation>Bar Starts Here</translation>
    </message>
    <message>
        <source>每小節拍數</source>
        <translation>Beats per Bar</translation>
    </message>
    <message>
        <source>還原為找到的節拍</source>
        <translation>Reset to Found Beats</translation>
    </message>
    <message>
        <source>%1 BPM</source>
        <translation>%1 BPM</translation>
    </message>
    <message>
        <source>依節拍排列</source>
        <translation>Fit to Beats</translation>
    </message>
    <message>
        <source>在節拍分割</source>
        <translation>Split at Beats</translation>
    </message>
    <message>
        <source>每 1 小節</source>
        <translation>Every Bar</translation>
    </message>
    <message>
        <source>每 %1 拍</source>
        <translation>Every %1 Beats</translation>
    </message>
    <message>
        <source>每拍</source>
        <translation>Every Beat</translation>
    </message>
    <message>
        <source>在節拍分割，與下一個模式交替</source>
        <translation>Split at Beats, Alternating with the Next Mode</translation>
    </message>
</context>
<context>
    <name>vc::BeatMarks</name>
    <message>
        <source>%1 BPM</source>
        <translation>%1 BPM</translation>
    </message>
</context>
<context>
    <name>vc::ColourTab</name>
    <message>
        <source>選擇顏色</source>
        <translation>choose color</translation>
    </message>
</context>
<context>
    <name>vc::EditorPanel</name>
    <message>
        <source>選擇顏色</source>
        <translation>choose color</translation>
    </message>
    <message>
        <source>套用編輯</source>
        <translation>apply mode</translation>
    </message>
    <message>
        <source>無法讀取</source>
        <translation></translation>
    </message>
    <message>
        <source>儲存格式過舊，請使用舊版軟體(v2.9↓)進行轉檔</source>
        <translation>File is too old, please use the old version(v2.9↓)</translation>
    </message>
    <message>
        <source>圖片遺失</source>
        <translation>picture missing</translation>
    </message>
    <message>
        <source>圖片遺失，是否替換遺失圖片？</source>
        <translation>Picture missing, replace it?</translation>
    </message>
    <message>
        <source>取代圖片</source>
        <translation>replace picture</translation>
    </message>
    <message>
        <source>插入圖樣</source>
        <translation>insert mode</translation>
    </message>
    <message>
        <source>圖片讀取完成!!</source>
        <translation>Finish loading pictures!!</translation>
    </message>
    <message>
        <source>%1 個新圖樣放在軌道 %2：%3</source>
        <translation>%1 new modes placed on track %2: %3</translation>
    </message>
    <message>
        <source>圖片遺失，無法以新的設定重畫此圖樣。</source>
        <translation>The picture is missing; the mode cannot be redrawn with the new settings.</translation>
    </message>
</context>
<context>
    <name>vc::Fetch</name>
    <message>
        <source>無法連線至更新伺服器</source>
        <translation>Cannot connect to the updating server</translation>
    </message>
    <message>
        <source>與更新伺服器的連線中斷：%1</source>
        <translation>The connection to the update server broke: %1</translation>
    </message>
    <message>
        <source>更新伺服器沒有在 %1 秒內傳完資料，已停止下載。</source>
        <translation>The update server did not send everything within %1 seconds; the download was stopped.</translation>
    </message>
    <message>
        <source>伺服器 %1 秒沒有傳來資料，已停止下載。</source>
        <translation>The server sent nothing for %1 seconds; the download was stopped.</translation>
    </message>
    <message>
        <source>更新伺服器回應錯誤：%1</source>
        <translation>The update server answered with an error: %1</translation>
    </message>
    <message>
        <source>下載的檔案大於允許的 %1 位元組，已停止下載。</source>
        <translation>The download is larger than the %1 bytes allowed; it was stopped.</translation>
    </message>
    <message>
        <source>更新伺服器的回答經過壓縮（%1），不予接受。</source>
        <translation>The update server&apos;s answer came packed (%1); it is not accepted.</translation>
    </message>
</context>
<context>
    <name>vc::FileError</name>
    <message>
        <source>磁碟空間不足</source>
        <translation>no space left on the disk</translation>
    </message>
    <message>
        <source>沒有存取權限</source>
        <translation>permission denied</translation>
    </message>
    <message>
        <source>檔案系統為唯讀</source>
        <translation>read-only file system</translation>
    </message>
    <message>
        <source>檔案或資料夾不存在</source>
        <translation>no such file or folder</translation>
    </message>
</context>
<context>
    <name>vc::PictureRead</name>
    <message>
        <source>圖片過寬，無法讀取</source>
        <translation>The picture is too wide to load</translation>
    </message>
    <message>
        <source>圖片過大，無法讀取</source>
        <translation>The picture is too large to load</translation>
    </message>
</context>
<context>
    <name>vc::PictureTab</name>
    <message>
        <source>讀圖(可複選)</source>
        <translation>Load picture (Multiple choose supported)</translation>
    </message>
    <message>
        <source>圖片讀取</source>
        <translation>Load pictures</translation>
    </message>
    <message>
        <source>無法讀取圖片：%1</source>
        <translation>The picture cannot be read: %1</translation>
    </message>
    <message>
        <source>讀取圖片中...</source>
        <translation>Loading picture...</translation>
    </message>
</context>
<context>
    <name>vc::ProjectFiles</name>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>&lt;font color=&apos;white&apos;&gt;未儲存部分將會流失，確定開啟新檔?&lt;/font&gt;</source>
        <translation>&lt;font color=&apos;white&apos;&gt;Unsaved changes will be lost. Start a new file anyway?&lt;/font&gt;</translation>
    </message>
    <message>
        <source>&lt;font color=&apos;white&apos;&gt;未儲存部分將會流失，確定讀取舊檔?&lt;/font&gt;</source>
        <translation>&lt;font color=&apos;white&apos;&gt;Unsaved changes will be lost. Load a file anyway?&lt;/font&gt;</translation>
    </message>
    <message>
        <source>讀檔</source>
        <translation>load</translation>
    </message>
    <message>
        <source>無法讀取專案 %1：%2
目前的專案保持不變。</source>
        <translation>Cannot read the project %1: %2
The current project is unchanged.</translation>
    </message>
    <message>
        <source>專案 %1 不完整或已損壞（%2），已載入損壞處之前的部分。</source>
        <translation>The project %1 is incomplete or damaged (%2); the part before the damage was loaded.</translation>
    </message>
    <message>
        <source>讀取中...</source>
        <translation>Loading...</translation>
    </message>
    <message>
        <source>%1 個圖片圖樣未匯入，因為找不到或無法讀取其圖片：</source>
        <translation>%1 picture modes were not imported because their pictures are missing or unreadable:</translation>
    </message>
    <message>
        <source>%1 行無法辨識，已略過。</source>
        <translation>%1 lines could not be read and were skipped.</translation>
    </message>
    <message>
        <source>存檔</source>
        <translation>save as</translation>
    </message>
    <message>
        <source>無法儲存專案 %1：%2</source>
        <translation>Cannot save the project %1: %2</translation>
    </message>
    <message>
        <source>圖片遺失</source>
        <translation>picture missing</translation>
    </message>
    <message>
        <source>張圖片遺失，是否搜尋並取代遺失圖片？</source>
        <translation> pictures are missing. Search for them and replace the missing pictures?</translation>
    </message>
    <message>
        <source>圖片位置</source>
        <translation>picture directory</translation>
    </message>
    <message>
        <source>搜尋圖片中...</source>
        <translation>Searching pictures...</translation>
    </message>
    <message>
        <source>圖片儲存位置</source>
        <translation>Pics save directory</translation>
    </message>
    <message>
        <source>圖庫匯出完成</source>
        <translation>export finish</translation>
    </message>
    <message>
        <source>找不到的圖片：</source>
        <translation>Pictures not found:</translation>
    </message>
    <message>
        <source>資料夾中已有同名檔案，未覆蓋：</source>
        <translation>A file of the same name is already in the folder and was not overwritten:</translation>
    </message>
    <message>
        <source>無法複製：</source>
        <translation>Could not be copied:</translation>
    </message>
    <message>
        <source>專案 %1 已在另一個編輯器中開啟。
仍要開啟嗎？儲存時將要求另取檔名，以免互相覆蓋。</source>
        <translation>The project %1 is open in another editor.
Open it anyway? Saving will then ask for another name, so that neither editor overwrites the other.</translation>
    </message>
    <message>
        <source>無法讀取復原副本：%1</source>
        <translation>Cannot read the recovery copy: %1</translation>
    </message>
    <message>
        <source>專案中有 %1 個圖樣的縮圖已損壞，無法顯示。</source>
        <translation>The thumbs of %1 modes in the project are damaged and cannot be shown.</translation>
    </message>
    <message>
        <source>專案 %1 已在另一個編輯器中開啟，請另取檔名。</source>
        <translation>The project %1 is open in another editor; please choose another name.</translation>
    </message>
    <message>
        <source>儲存中...</source>
        <translation>Saving...</translation>
    </message>
    <message>
        <source>專案中有 %1 個圖樣的紀錄已損壞，只載入了能讀取的部分。</source>
        <translation>%1 modes of the project are damaged; only what could be read was loaded.</translation>
    </message>
    <message>
        <source>未命名</source>
        <translation>Untitled</translation>
    </message>
    <message>
        <source>無法儲存專案 %1 的節拍與道具分配：%2</source>
        <translation>Could not save the beats and props of project %1: %2</translation>
    </message>
    <message>
        <source>無法讀取專案 %1 的節拍與道具分配：%2</source>
        <translation>Could not read the beats and props of project %1: %2</translation>
    </message>
    <message>
        <source>復原副本</source>
        <translation>the recovery copy</translation>
    </message>
</context>
<context>
    <name>vc::ProjectReader</name>
    <message>
        <source>檔案過大（%1 位元組），不是專案檔</source>
        <translation>file too large for a project (%1 bytes)</translation>
    </message>
    <message>
        <source>檔頭</source>
        <translation>the header</translation>
    </message>
    <message>
        <source>音樂路徑的長度</source>
        <translation>the song path length</translation>
    </message>
    <message>
        <source>音樂路徑</source>
        <translation>the song path</translation>
    </message>
    <message>
        <source>圖樣的長度</source>
        <translation>a record length</translation>
    </message>
    <message>
        <source>圖樣</source>
        <translation>a record</translation>
    </message>
    <message>
        <source>讀取%1時發生錯誤</source>
        <translation>read error in %1</translation>
    </message>
    <message>
        <source>%1的資料大於任何專案</source>
        <translation>data too large for a project at %1</translation>
    </message>
    <message>
        <source>檔案在%1中途結束</source>
        <translation>file ends inside %1</translation>
    </message>
    <message>
        <source>音樂路徑的長度 %1 是奇數</source>
        <translation>song path length %1 is odd</translation>
    </message>
    <message>
        <source>音樂路徑的長度 %1 過長</source>
        <translation>song path length %1 is too long</translation>
    </message>
    <message>
        <source>檔案在一個 %1 位元組的圖樣中途結束</source>
        <translation>file ends inside a record of %1 bytes</translation>
    </message>
    <message>
        <source>圖樣的縮圖解開後會超過 %1 MB</source>
        <translation>the thumbs of its modes would take more than %1 MB once unpacked</translation>
    </message>
</context>
<context>
    <name>vc::ScreenCapture</name>
    <message>
        <source>無法擷取螢幕畫面，無法截圖</source>
        <translation>The screen could not be captured, so no screenshot can be taken</translation>
    </message>
    <message>
        <source>選擇顏色</source>
        <translation>choose color</translation>
    </message>
    <message>
        <source>儲存圖片</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>無法儲存圖片：%1</source>
        <translation>The picture could not be saved: %1</translation>
    </message>
</context>
<context>
    <name>vc::SongLoader</name>
    <message>
        <source>讀取音樂中...</source>
        <translation>Loading music...</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>vc::TracksController</name>
    <message>
        <source>確認移除軌道？</source>
        <translation>Remove track?</translation>
    </message>
    <message>
        <source>&lt;font color=&apos;white&apos;&gt;此動作無法復原&lt;/font&gt;</source>
        <translation>&lt;font color=&apos;white&apos;&gt;This cannot be undone&lt;/font&gt;</translation>
    </message>
</context>
<context>
    <name>vc::VideoEncoder</name>
    <message>
        <source>影片的副檔名必須是 .mp4 或 .webm</source>
        <translation>The video&apos;s name must end in .mp4 or .webm</translation>
    </message>
    <message>
        <source>缺少 GStreamer 元件 %1，請安裝套件 %2</source>
        <translation>The GStreamer element %1 is missing; install the package %2</translation>
    </message>
    <message>
        <source>資料夾不存在：%1</source>
        <translation>The folder does not exist: %1</translation>
    </message>
    <message>
        <source>無法在資料夾中寫入：%1</source>
        <translation>Cannot write in the folder: %1</translation>
    </message>
    <message>
        <source>沒有可匯出的模式</source>
        <translation>There is no mode to render</translation>
    </message>
    <message>
        <source>無法讀取歌曲 %1：%2</source>
        <translation>Cannot read the song %1: %2</translation>
    </message>
    <message>
        <source>影片編碼沒有完成</source>
        <translation>The video encoding did not finish</translation>
    </message>
    <message>
        <source>無法寫入 %1</source>
        <translation>Cannot write %1</translation>
    </message>
    <message>
        <source>無法啟動 GStreamer</source>
        <translation>GStreamer could not be started</translation>
    </message>
</context>
<context>
    <name>vc::VideoExport</name>
    <message>
        <source>匯出影片</source>
        <translation>Export video</translation>
    </message>
    <message>
        <source>圓盤</source>
        <translation>Disc</translation>
    </message>
    <message>
        <source>光棒</source>
        <translation>Staff</translation>
    </message>
    <message>
        <source>兩者並排</source>
        <translation>Both side by side</translation>
    </message>
    <message>
        <source>整個表演</source>
        <translation>The whole show</translation>
    </message>
    <message>
        <source>從起點標記到最後一個模式結束</source>
        <translation>From the start mark to the end of the last mode</translation>
    </message>
    <message>
        <source>大小</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>每秒畫格</source>
        <translation>Frames per second</translation>
    </message>
    <message>
        <source>外觀</source>
        <translation>Look</translation>
    </message>
    <message>
        <source>範圍</source>
        <translation>Range</translation>
    </message>
    <message>
        <source>影片 (*.mp4 *.webm)</source>
        <translation>Videos (*.mp4 *.webm)</translation>
    </message>
    <message>
        <source>正在匯出影片...</source>
        <translation>Exporting the video...</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>影片已儲存：%1</source>
        <translation>The video is saved: %1</translation>
    </message>
    <message>
        <source>開啟資料夾</source>
        <translation>Open folder</translation>
    </message>
    <message>
        <source>關閉</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>vc::WaitForWork</name>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>vc::device::MultiUpload</name>
    <message>
        <source>上傳完成</source>
        <translation>Upload finished</translation>
    </message>
</context>
<context>
    <name>vc::gst</name>
    <message>
        <source>沒有安裝「%1」的解碼器，請安裝 Debian 套件 %2。</source>
        <translation>No decoder for &quot;%1&quot; is installed: install the Debian package %2.</translation>
    </message>
</context>
<context>
    <name>vc::update::DownloadFile</name>
    <message>
        <source>%1 是連結，更新程式不經由連結讀寫</source>
        <translation>%1 is a link; the updater neither reads nor writes through links</translation>
    </message>
    <message>
        <source>%1 不是一般檔案</source>
        <translation>%1 is not a plain file</translation>
    </message>
    <message>
        <source>%1 不是資料夾</source>
        <translation>%1 is not a folder</translation>
    </message>
    <message>
        <source>%1 不是只屬於這個使用者的資料夾</source>
        <translation>%1 is not a folder of this user&apos;s alone</translation>
    </message>
    <message>
        <source>沒有檔名</source>
        <translation>no file name</translation>
    </message>
    <message>
        <source>%1 大於 %2 位元組</source>
        <translation>%1 is larger than %2 bytes</translation>
    </message>
</context>
<context>
    <name>vc::update::UpdateTexts</name>
    <message>
        <source>更新資訊沒有有效期限，無法確認它是最新的，不提供這個更新。</source>
        <translation>The update information has no expiry date, so it cannot be known to be the newest; this update is not offered.</translation>
    </message>
    <message>
        <source>更新資訊已於 %1 過期，可能是舊的版本檔被再次送出，不提供這個更新。</source>
        <translation>The update information expired on %1 (an old version file may have been sent again); this update is not offered.</translation>
    </message>
    <message>
        <source>更新資訊的發行時間 %1 晚於這台電腦的時間，請檢查電腦的日期與時間。不提供這個更新。</source>
        <translation>The update information is dated %1, later than this computer&apos;s clock; please check the computer&apos;s date and time. This update is not offered.</translation>
    </message>
    <message>
        <source>更新資訊的簽章無效，不提供這個更新。</source>
        <translation>The signature of the update information is not valid; this update is not offered.</translation>
    </message>
    <message>
        <source>更新伺服器的回答不是版本檔。</source>
        <translation>The update server&apos;s answer is not a version file.</translation>
    </message>
</context>
</TS>
