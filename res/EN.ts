<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>CHistoryDlg</name>
    <message>
        <source>历史记录</source>
        <translation>History</translation>
    </message>
    <message>
        <source>送样单位、样品名称、批号或检验员</source>
        <translation>Unit, sample, batch or inspector</translation>
    </message>
    <message>
        <source>日期</source>
        <translation>Dates</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>查找:</source>
        <translation>Find:</translation>
    </message>
    <message>
        <source>至</source>
        <translation>to</translation>
    </message>
    <message>
        <source>序号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>读数(°)</source>
        <translation>Reading (°)</translation>
    </message>
    <message>
        <source>测量值</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>确认时间</source>
        <translation>Confirmed</translation>
    </message>
    <message>
        <source>保存报告...</source>
        <translation>Save Report...</translation>
    </message>
    <message>
        <source>打印...</source>
        <translation>Print...</translation>
    </message>
    <message>
        <source>导出 CSV...</source>
        <translation>Export CSV...</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>共 %1 次测量</source>
        <translation>%1 runs</translation>
    </message>
    <message>
        <source>无法读取结果记录 %1: %2</source>
        <translation>Cannot read the results journal %1: %2</translation>
    </message>
    <message>
        <source>无法导出到 %1: %2</source>
        <translation>Cannot export to %1: %2</translation>
    </message>
    <message>
        <source>导出 CSV</source>
        <translation>Export CSV</translation>
    </message>
    <message>
        <source>CSV 文件 (*.csv)</source>
        <translation>CSV files (*.csv)</translation>
    </message>
    <message>
        <source>还没有测量记录</source>
        <translation>No runs recorded yet</translation>
    </message>
    <message>
        <source>站点:</source>
        <translation>Station:</translation>
    </message>
    <message>
        <source>实验室服务器上所有站点的测量</source>
        <translation>Runs of every station, from the lab server</translation>
    </message>
    <message>
        <source>实验室服务器无法读取（%1）。下面只是本站的结果日志。</source>
        <translation>The lab server cannot be read (%1). Below is only this station&apos;s own journal.</translation>
    </message>
    <message>
        <source>全部站点</source>
        <translation>All stations</translation>
    </message>
    <message>
        <source>正在读取…</source>
        <translation>Reading…</translation>
    </message>
    <message>
        <source>PDF…</source>
        <translation>PDF…</translation>
    </message>
    <message>
        <source>N= %1</source>
        <translation>N= %1</translation>
    </message>
    <message>
        <source>平均结果 %1</source>
        <translation>Mean %1</translation>
    </message>
    <message>
        <source>SD %1</source>
        <translation>SD %1</translation>
    </message>
    <message>
        <source>RSD %1</source>
        <translation>RSD %1</translation>
    </message>
    <message>
        <source>方法 %1（版本 %2）</source>
        <translation>Method %1 (version %2)</translation>
    </message>
    <message>
        <source>下限 %1，上限 %2</source>
        <translation>Lower limit %1, upper limit %2</translation>
    </message>
    <message>
        <source>PDF 报告</source>
        <translation>PDF Report</translation>
    </message>
    <message>
        <source>PDF 文件 (*.pdf)</source>
        <translation>PDF files (*.pdf)</translation>
    </message>
    <message>
        <source>不是普通文件，未改动</source>
        <translation>not a regular file; left unchanged</translation>
    </message>
    <message>
        <source>无法写入 PDF 报告 %1: %2</source>
        <translation>Cannot write the PDF report %1: %2</translation>
    </message>
</context>
<context>
    <name>CLoginDlg</name>
    <message>
        <source>密码:</source>
        <translation>Password:</translation>
    </message>
    <message>
        <source>方法:</source>
        <translation>Method:</translation>
    </message>
    <message>
        <source>无方法</source>
        <translation>No method</translation>
    </message>
</context>
<context>
    <name>CModeSelectDlg</name>
    <message>
        <source>常数不能为 0，也不能超出范围。</source>
        <translation>A constant must not be 0 or out of range.</translation>
    </message>
</context>
<context>
    <name>CSerialPort</name>
    <message>
        <source>设备已断开</source>
        <translation>disconnected</translation>
    </message>
</context>
<context>
    <name>CVelmoraApp</name>
    <message>
        <source>设置文件 %1 无法读取（%2）。
程序使用默认设置，不会改写该文件。</source>
        <translation>The settings file %1 cannot be read (%2).
Default settings are used; the file is left as it is.</translation>
    </message>
    <message>
        <source>设置文件 %1 无法保存（%2）。
更改只在本次运行中有效。</source>
        <translation>The settings file %1 cannot be saved (%2).
Changes last only until the program ends.</translation>
    </message>
    <message>
        <source>结果日志 %1 已损坏（%2）。
它已被移到 %3，程序在原处开始一个新的日志，测量照常进行。</source>
        <translation>The results journal %1 is damaged (%2).
It was moved to %3; a new journal is started in its place and measuring goes on.</translation>
    </message>
</context>
<context>
    <name>CVelmoraDlg</name>
    <message>
        <source>历史记录</source>
        <translation>History</translation>
    </message>
    <message numerus="yes">
        <source>上次的测量没有结束：%n 个读数，开始于 %1，最后一个读数于 %2。
检品名称：%3&#x3000;批号：%4&#x3000;检验者：%5

是否继续这次测量？选“否”则该次测量标为放弃，记录保留在结果日志中。</source>
        <translation>
            <numerusform>An earlier run was not finished: %n reading, started %1, last reading %2.
Sample: %3   Batch: %4   Inspector: %5

Continue this run? No marks it abandoned; its records stay in the results journal.</numerusform>
            <numerusform>An earlier run was not finished: %n readings, started %1, last reading %2.
Sample: %3   Batch: %4   Inspector: %5

Continue this run? No marks it abandoned; its records stay in the results journal.</numerusform>
        </translation>
    </message>
    <message>
        <source>这次测量已由另一个程序接管，无法在这里继续：%1</source>
        <translation>Another instance has taken this run over; it cannot be continued here: %1</translation>
    </message>
    <message>
        <source>结果日志 %1 无法写入（%2）。
测量照常进行。确认的读数先留在程序中，日志恢复后自动补写；程序关闭前未补写的读数不会存入日志。</source>
        <translation>The results journal %1 cannot be written (%2).
Measuring goes on. Confirmed readings are kept in the program and written to the journal as soon as it can be written again; readings not written before the program closes are not in the journal.</translation>
    </message>
    <message numerus="yes">
        <source>删除表中的 %n 个读数并开始新的测量？</source>
        <translation>
            <numerusform>Delete the %n reading of the table and start a new run?</numerusform>
            <numerusform>Delete the %n readings of the table and start a new run?</numerusform>
        </translation>
    </message>
    <message>
        <source>%1
只有原来那台仪器会自动重新连接。改用这台设备吗？</source>
        <translation>%1
Only the instrument first opened is reconnected by itself. Use this device instead?</translation>
    </message>
</context>
<context>
    <name>DialogTemplate</name>
    <message>
        <source>Velmora 1.0 版</source>
        <translation>Velmora Version 1.0</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>关于 Velmora</source>
        <translation>About Velmora</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>+复测</source>
        <translation>+Retest</translation>
    </message>
    <message>
        <source>-复测</source>
        <translation>-Retest</translation>
    </message>
    <message>
        <source>清零</source>
        <translation>Zero</translation>
    </message>
    <message>
        <source>采样</source>
        <translation>Sampling</translation>
    </message>
    <message>
        <source>打印</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>模式选择</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>供样单位:</source>
        <translation>Supplier:</translation>
    </message>
    <message>
        <source>检品名称:</source>
        <translation>Sample:</translation>
    </message>
    <message>
        <source>批    号:</source>
        <translation>Batch No.:</translation>
    </message>
    <message>
        <source>检 验 者:</source>
        <translation>Inspector:</translation>
    </message>
    <message>
        <source>采样次数:</source>
        <translation>Samples:</translation>
    </message>
    <message>
        <source>当前状态</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>日    期:</source>
        <translation>Date:</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>批号:</source>
        <translation>Batch No.:</translation>
    </message>
    <message>
        <source>检验者:</source>
        <translation>Inspector:</translation>
    </message>
    <message>
        <source>串口号:</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source> 旋光仪数据记录</source>
        <translation> Data Recorder</translation>
    </message>
    <message>
        <source>Quenzel Polarimeter</source>
        <translation>Quenzel Polarimeter</translation>
    </message>
    <message>
        <source>请输入采样次数:</source>
        <translation>Sample count:</translation>
    </message>
    <message>
        <source>采样选择</source>
        <translation>Sampling</translation>
    </message>
    <message>
        <source>选择</source>
        <translation>Select</translation>
    </message>
    <message>
        <source>1.测量旋光度</source>
        <translation>1.Opt. rotation</translation>
    </message>
    <message>
        <source>2.测量糖度</source>
        <translation>2.Sugar (Z)</translation>
    </message>
    <message>
        <source>3.测量浓度</source>
        <translation>3.Conc. (C)</translation>
    </message>
    <message>
        <source>4.测量比旋度</source>
        <translation>4.Spec. rotation</translation>
    </message>
    <message>
        <source>试管长度:</source>
        <translation>Tube:</translation>
    </message>
    <message>
        <source>比旋度:</source>
        <translation>[α]:</translation>
    </message>
    <message>
        <source>浓度:</source>
        <translation>Conc.:</translation>
    </message>
</context>
<context>
    <name>ForwardState</name>
    <message>
        <source>实验室服务器：正在连接</source>
        <translation>Lab server: connecting</translation>
    </message>
    <message>
        <source>实验室服务器：已同步</source>
        <translation>Lab server: synced</translation>
    </message>
    <message>
        <source>实验室服务器：%1 行待发送</source>
        <translation>Lab server: %1 rows pending</translation>
    </message>
    <message>
        <source>实验室服务器不可达</source>
        <translation>Lab server unreachable</translation>
    </message>
    <message>
        <source>实验室服务器拒绝了登录或写入</source>
        <translation>Lab server refused the login or the write</translation>
    </message>
    <message>
        <source>实验室服务器上的记录与本机日志不符</source>
        <translation>Lab server holds other rows than this journal</translation>
    </message>
    <message>
        <source>实验室服务器的日志版本比本程序新</source>
        <translation>Lab server journal is newer than this program</translation>
    </message>
    <message>
        <source>无法转发到实验室服务器</source>
        <translation>Cannot forward to the lab server</translation>
    </message>
    <message>
        <source>记录在本机等待</source>
        <translation>rows wait here</translation>
    </message>
    <message>
        <source>%1 行在本机等待</source>
        <translation>%1 rows wait here</translation>
    </message>
    <message>
        <source>%1，%2：%3</source>
        <translation>%1, %2: %3</translation>
    </message>
    <message>
        <source>实验室服务器：有记录待发送</source>
        <translation>Lab server: rows pending</translation>
    </message>
    <message>
        <source>实验室服务器没有响应</source>
        <translation>Lab server not answering</translation>
    </message>
</context>
<context>
    <name>HelpLauncher</name>
    <message>
        <source>help.txt</source>
        <translation>help_en.txt</translation>
    </message>
    <message>
        <source>无法打开帮助文件 %1。请用文本编辑器打开它。</source>
        <translation>The help file %1 could not be opened. Please open it with a text editor.</translation>
    </message>
</context>
<context>
    <name>JournalRunReport</name>
    <message>
        <source>完成</source>
        <translation>Completed</translation>
    </message>
    <message>
        <source>已作废</source>
        <translation>Discarded</translation>
    </message>
    <message>
        <source>已放弃</source>
        <translation>Abandoned</translation>
    </message>
    <message>
        <source>未完成</source>
        <translation>Unfinished</translation>
    </message>
</context>
<context>
    <name>LinkMonitor</name>
    <message>
        <source>未连接</source>
        <translation>Not connected</translation>
    </message>
    <message>
        <source>已连接</source>
        <translation>Connected</translation>
    </message>
    <message>
        <source>无数据</source>
        <translation>No data</translation>
    </message>
    <message>
        <source>连接中断</source>
        <translation>Link lost</translation>
    </message>
    <message>
        <source>正在重连</source>
        <translation>Reconnecting</translation>
    </message>
    <message>
        <source>%1 秒无有效数据</source>
        <translation>No valid frame for %1 s</translation>
    </message>
    <message>
        <source>%1：%2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>%1：第 %2 次重连</source>
        <translation>%1: attempt %2</translation>
    </message>
    <message>
        <source>读数稳定</source>
        <translation>Stable</translation>
    </message>
    <message>
        <source>读数未稳定</source>
        <translation>Not yet stable</translation>
    </message>
    <message>
        <source>未连接仪器，读数未录入</source>
        <translation>No instrument connected: reading not entered</translation>
    </message>
    <message>
        <source>连接中断，读数未录入</source>
        <translation>Link lost: reading not entered</translation>
    </message>
    <message>
        <source>设备不符</source>
        <translation>Different device</translation>
    </message>
</context>
<context>
    <name>MeasurementSession</name>
    <message>
        <source>还没有新的读数，读数未录入</source>
        <translation>No new reading yet; nothing entered</translation>
    </message>
    <message>
        <source>读数已超过 %1 秒没有更新，读数未录入</source>
        <translation>No new reading for more than %1 s; nothing entered</translation>
    </message>
    <message>
        <source>本次测量已完成；按“删除”开始新的测量</source>
        <translation>This run is complete; press Delete to start a new one</translation>
    </message>
    <message>
        <source>仪器未连接，命令未发送</source>
        <translation>No instrument connected; the command was not sent</translation>
    </message>
</context>
<context>
    <name>MethodLines</name>
    <message>
        <source>版本 %1</source>
        <translation>version %1</translation>
    </message>
    <message>
        <source>已脱离方法</source>
        <translation>method left</translation>
    </message>
    <message>
        <source>自动确认</source>
        <translation>auto-confirm</translation>
    </message>
    <message>
        <source>方法 %1</source>
        <translation>Method %1</translation>
    </message>
    <message>
        <source>方法: %1（版本 %2）</source>
        <translation>Method: %1 (version %2)</translation>
    </message>
    <message>
        <source>已脱离方法: %1（版本 %2）；本次测量没有判定</source>
        <translation>Method left: %1 (version %2); this test gets no verdict</translation>
    </message>
    <message>
        <source>下限 %1，上限 %2</source>
        <translation>Lower limit %1, upper limit %2</translation>
    </message>
    <message>
        <source>平均结果 %1</source>
        <translation>Mean %1</translation>
    </message>
    <message>
        <source>方法 %1（版本 %2）的值；改动后本次测量脱离方法</source>
        <translation>The values of method %1 (version %2); a change makes this test leave the method</translation>
    </message>
</context>
<context>
    <name>OutputFile</name>
    <message>
        <source>不是普通文件（管道、设备或文件夹），未作改动</source>
        <translation>not a regular file (a pipe, a device or a folder); left unchanged</translation>
    </message>
</context>
<context>
    <name>PdfReport</name>
    <message>
        <source>PDF 文档无法生成</source>
        <translation>The PDF document could not be made</translation>
    </message>
</context>
<context>
    <name>PortError</name>
    <message>
        <source>%1：设备不存在</source>
        <translation>%1: no such device</translation>
    </message>
    <message>
        <source>%1：不是串口设备</source>
        <translation>%1: not a serial device</translation>
    </message>
    <message>
        <source>%1：设备被占用或拒绝访问</source>
        <translation>%1: in use or access denied</translation>
    </message>
    <message>
        <source>%1：%2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>%1：另一台设备，重新选择串口后才会使用</source>
        <translation>%1: another device, used only once the port is chosen again</translation>
    </message>
</context>
<context>
    <name>ReportFileDialog</name>
    <message>
        <source>文件名 %1 中含有双引号 (&quot;)，不能保存。请换一个文件名。</source>
        <translation>The name %1 contains a double quote (&quot;), which a file name cannot hold. Please choose another name.</translation>
    </message>
</context>
<context>
    <name>RunChart</name>
    <message>
        <source>没有读数</source>
        <translation>No readings</translation>
    </message>
    <message>
        <source>平均 %1</source>
        <translation>Mean %1</translation>
    </message>
    <message>
        <source>±1 标准偏差 %1</source>
        <translation>±1 deviation %1</translation>
    </message>
</context>
<context>
    <name>RunHistoryModel</name>
    <message>
        <source>未完成</source>
        <translation>Unfinished</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>Completed</translation>
    </message>
    <message>
        <source>已作废</source>
        <translation>Discarded</translation>
    </message>
    <message>
        <source>已放弃</source>
        <translation>Abandoned</translation>
    </message>
    <message>
        <source>开始时间</source>
        <translation>Started</translation>
    </message>
    <message>
        <source>样品名称</source>
        <translation>Sample</translation>
    </message>
    <message>
        <source>批号</source>
        <translation>Batch</translation>
    </message>
    <message>
        <source>送样单位</source>
        <translation>Unit</translation>
    </message>
    <message>
        <source>检验员</source>
        <translation>Inspector</translation>
    </message>
    <message>
        <source>测量方式</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>次数</source>
        <translation>N</translation>
    </message>
    <message>
        <source>平均结果</source>
        <translation>Mean</translation>
    </message>
    <message>
        <source>标准偏差</source>
        <translation>Deviation</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>站点</source>
        <translation>Station</translation>
    </message>
    <message>
        <source>合格</source>
        <translation>Pass</translation>
    </message>
    <message>
        <source>不合格</source>
        <translation>Fail</translation>
    </message>
    <message>
        <source>方法 %1（版本 %2）</source>
        <translation>Method %1 (version %2)</translation>
    </message>
    <message>
        <source>判定</source>
        <translation>Verdict</translation>
    </message>
</context>
<context>
    <name>RunReportLayout</name>
    <message>
        <source>稳定</source>
        <translation>stable</translation>
    </message>
    <message>
        <source>未稳定</source>
        <translation>not stable</translation>
    </message>
    <message>
        <source>自动确认</source>
        <translation>confirmed automatically</translation>
    </message>
    <message>
        <source>已剔除: %1</source>
        <translation>Excluded: %1</translation>
    </message>
    <message>
        <source>工作站: %1</source>
        <translation>Station: %1</translation>
    </message>
    <message>
        <source>端口: %1</source>
        <translation>Port: %1</translation>
    </message>
    <message>
        <source>仪器: %1</source>
        <translation>Instrument: %1</translation>
    </message>
    <message>
        <source>方法: %1 (版本 %2)</source>
        <translation>Method: %1 (version %2)</translation>
    </message>
    <message>
        <source>状态: %1</source>
        <translation>Status: %1</translation>
    </message>
    <message>
        <source>开始: %1</source>
        <translation>Started: %1</translation>
    </message>
    <message>
        <source>结束: %1</source>
        <translation>Ended: %1</translation>
    </message>
    <message>
        <source>模式: %1</source>
        <translation>Mode: %1</translation>
    </message>
    <message>
        <source>浓度模式: 比旋度 %1 [α], 试管长度 %2 dm</source>
        <translation>Concentration mode: specific rotation %1 [α], tube length %2 dm</translation>
    </message>
    <message>
        <source>比旋度模式: 浓度 %1 g/100ml, 试管长度 %2 dm</source>
        <translation>Specific rotation mode: concentration %1 g/100ml, tube length %2 dm</translation>
    </message>
    <message>
        <source>序号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>确认时间</source>
        <translation>Confirmed</translation>
    </message>
    <message>
        <source>读数 (°)</source>
        <translation>Reading (°)</translation>
    </message>
    <message>
        <source>备注</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>测量次数(N)= %1</source>
        <translation>Readings(N)= %1</translation>
    </message>
    <message>
        <source>相对标准偏差(RSD)= %1</source>
        <translation>Relative deviation(RSD)= %1</translation>
    </message>
    <message>
        <source>最小值= %1</source>
        <translation>Minimum= %1</translation>
    </message>
    <message>
        <source>最大值= %1</source>
        <translation>Maximum= %1</translation>
    </message>
    <message>
        <source>本次测量没有结果</source>
        <translation>The run has no result</translation>
    </message>
    <message>
        <source>下限= %1</source>
        <translation>Lower limit= %1</translation>
    </message>
    <message>
        <source>上限= %1</source>
        <translation>Upper limit= %1</translation>
    </message>
    <message>
        <source>判定: %1</source>
        <translation>Verdict: %1</translation>
    </message>
    <message>
        <source>合格</source>
        <translation>Pass</translation>
    </message>
    <message>
        <source>不合格</source>
        <translation>Fail</translation>
    </message>
    <message>
        <source>签名人</source>
        <translation>Signed by</translation>
    </message>
    <message>
        <source>含义</source>
        <translation>Meaning</translation>
    </message>
    <message>
        <source>签名时间</source>
        <translation>Signed at</translation>
    </message>
    <message>
        <source>运行编号: %1</source>
        <translation>Run: %1</translation>
    </message>
    <message>
        <source>链哈希: %1</source>
        <translation>Chain hash: %1</translation>
    </message>
    <message>
        <source>第 %1 页 共 %2 页</source>
        <translation>Page %1 of %2</translation>
    </message>
    <message>
        <source>审核</source>
        <translation>Reviewed</translation>
    </message>
    <message>
        <source>批准</source>
        <translation>Approved</translation>
    </message>
    <message>
        <source>执行</source>
        <translation>Performed</translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <source>不是普通文件</source>
        <translation>not a regular file</translation>
    </message>
    <message>
        <source>大于 1 MiB</source>
        <translation>larger than 1 MiB</translation>
    </message>
</context>
<context>
    <name>StateLines</name>
    <message>
        <source>结果日志不可用：读数没有存入日志</source>
        <translation>Journal unavailable: readings are not stored</translation>
    </message>
    <message>
        <source>读数时刻 %1</source>
        <translation>Last reading %1</translation>
    </message>
    <message>
        <source>文件是只读的</source>
        <translation>the file is read-only</translation>
    </message>
    <message>
        <source>磁盘已满</source>
        <translation>the disk is full</translation>
    </message>
    <message>
        <source>另一个程序锁住了它</source>
        <translation>another program holds it locked</translation>
    </message>
    <message>
        <source>文件已损坏</source>
        <translation>the file is damaged</translation>
    </message>
    <message>
        <source>它由更新版本的程序写入</source>
        <translation>a newer version of the program wrote it</translation>
    </message>
    <message>
        <source>无法打开或写入</source>
        <translation>it cannot be opened or written</translation>
    </message>
    <message>
        <source>它不是本程序的结果日志，程序不改动它</source>
        <translation>it is not a results journal of this program; it is left as it is</translation>
    </message>
</context>
<context>
    <name>StringTable</name>
    <message>
        <source>关于 Velmora(&amp;A)...</source>
        <translation>&amp;About Velmora...</translation>
    </message>
    <message>
        <source>串口%d</source>
        <translation>COM%d</translation>
    </message>
    <message>
        <source>采样次数</source>
        <translation>Sample</translation>
    </message>
    <message>
        <source>平均结果(n)</source>
        <translation>Mean(n)</translation>
    </message>
    <message>
        <source>标准偏差(σ)</source>
        <translation>Std. dev.(σ)</translation>
    </message>
    <message>
        <source>宋体</source>
        <translation>Arial</translation>
    </message>
    <message>
        <source>平均结果(n)= %s</source>
        <translation>Mean(n)= %s</translation>
    </message>
    <message>
        <source>打开串口失败!!!</source>
        <translation>Failed to open the serial port!!!</translation>
    </message>
    <message>
        <source>测试报表</source>
        <translation>Test Report</translation>
    </message>
    <message>
        <source>标准偏差(σ)= %s</source>
        <translation>Std. dev.(σ)= %s</translation>
    </message>
    <message>
        <source>旋光度(α°)</source>
        <translation>Opt. rotation(α°)</translation>
    </message>
    <message>
        <source>糖度(Z)</source>
        <translation>Sugar(Z)</translation>
    </message>
    <message>
        <source>浓度(C)</source>
        <translation>Conc.(C)</translation>
    </message>
    <message>
        <source>比旋度([α])</source>
        <translation>Spec. rot.([α])</translation>
    </message>
    <message>
        <source>旋光度(α°)= %s</source>
        <translation>Optical rotation(α°)= %s</translation>
    </message>
    <message>
        <source>糖度(Z)=%s</source>
        <translation>Sugar degree(Z)=%s</translation>
    </message>
    <message>
        <source>浓度(C)=%s</source>
        <translation>Concentration(C)=%s</translation>
    </message>
    <message>
        <source>比旋度([α])=%s</source>
        <translation>Specific rotation([α])=%s</translation>
    </message>
    <message>
        <source>送样单位: %s</source>
        <translation>Supplier: %s</translation>
    </message>
    <message>
        <source>样品名称: %s</source>
        <translation>Sample: %s</translation>
    </message>
    <message>
        <source>批    号: %s</source>
        <translation>Batch No.: %s</translation>
    </message>
    <message>
        <source>次序:</source>
        <translation>Order:</translation>
    </message>
    <message>
        <source>检 验 员: %s</source>
        <translation>Inspector: %s</translation>
    </message>
    <message>
        <source>日期: %s</source>
        <translation>Date: %s</translation>
    </message>
    <message>
        <source>请键入一个整数。</source>
        <translation>Please enter an integer.</translation>
    </message>
    <message>
        <source>“请填入一个在%1和%2之间的整数。”</source>
        <translation>Please enter an integer between %1 and %2.</translation>
    </message>
    <message>
        <source>无错误发生。</source>
        <translation>No error occurred.</translation>
    </message>
    <message>
        <source>在对 %1 进行访问时发生了一个不明错误。</source>
        <translation>An unknown error occurred while accessing %1.</translation>
    </message>
    <message>
        <source>没有找到 %1。</source>
        <translation>%1 was not found.</translation>
    </message>
    <message>
        <source>%1 中包含无效的路径。</source>
        <translation>%1 contains an invalid path.</translation>
    </message>
    <message>
        <source>无法打开 %1 因为太多文件已被打开。</source>
        <translation>%1 could not be opened because there are too many open files.</translation>
    </message>
    <message>
        <source>对 %1 的存取被拒绝。</source>
        <translation>Access to %1 was denied.</translation>
    </message>
    <message>
        <source>一个无效的文件柄与 %1 相关联。</source>
        <translation>An invalid file handle was associated with %1.</translation>
    </message>
    <message>
        <source>无法删除 %1 因为它是当前目录。</source>
        <translation>%1 could not be removed because it is the current directory.</translation>
    </message>
    <message>
        <source>该目录已满，无法创建 %1。</source>
        <translation>%1 could not be created because the directory is full.</translation>
    </message>
    <message>
        <source>对 %1 进行查找失败。</source>
        <translation>Seek failed on %1.</translation>
    </message>
    <message>
        <source>在存取 %1 时一个硬件输入/输出错误被报告。</source>
        <translation>A hardware I/O error was reported while accessing %1.</translation>
    </message>
    <message>
        <source>在存取 %1 时发生共享违例。</source>
        <translation>A sharing violation occurred while accessing %1.</translation>
    </message>
    <message>
        <source>在存取 %1 时发生锁违例。</source>
        <translation>A locking violation occurred while accessing %1.</translation>
    </message>
    <message>
        <source>在存取 %1 时磁盘已满。</source>
        <translation>The disk was full while accessing %1.</translation>
    </message>
    <message>
        <source>试图越过其尾端对 %1 进行读写。</source>
        <translation>An attempt was made to access %1 past its end.</translation>
    </message>
    <message>
        <source>@AppTitle</source>
        <translation>Velmora</translation>
    </message>
</context>
</TS>
