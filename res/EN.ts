<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>AccountDialog</name>
    <message>
        <source>账户:</source>
        <translation>Account:</translation>
    </message>
    <message>
        <source>密码:</source>
        <translation>Password:</translation>
    </message>
    <message>
        <source>签名含义:</source>
        <translation>Meaning:</translation>
    </message>
    <message>
        <source>备注:</source>
        <translation>Comment:</translation>
    </message>
    <message>
        <source>原因:</source>
        <translation>Reason:</translation>
    </message>
    <message>
        <source>新密码:</source>
        <translation>New password:</translation>
    </message>
    <message>
        <source>再输入一次:</source>
        <translation>Repeat it:</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>AccountJournal</name>
    <message>
        <source>密码至少要有 %1 个字符</source>
        <translation>A password has at least %1 characters</translation>
    </message>
    <message>
        <source>连续 %1 次密码错误，账户已锁定到 %2</source>
        <translation>%1 wrong passwords in a row: the account is locked until %2</translation>
    </message>
    <message>
        <source>没有账户“%1”</source>
        <translation>There is no account &quot;%1&quot;</translation>
    </message>
    <message>
        <source>账户“%1”已停用</source>
        <translation>The account &quot;%1&quot; is disabled</translation>
    </message>
    <message>
        <source>账户“%1”已锁定，到 %2 为止</source>
        <translation>The account &quot;%1&quot; is locked until %2</translation>
    </message>
    <message>
        <source>账户“%1”的密码记录与结果日志不符，请管理员重新设置密码</source>
        <translation>The password record of the account &quot;%1&quot; does not match the journal; an administrator must set its password again</translation>
    </message>
    <message>
        <source>密码不正确</source>
        <translation>Wrong password</translation>
    </message>
    <message>
        <source>账户“%1”的密码已过期，请设置新密码</source>
        <translation>The password of the account &quot;%1&quot; has expired; set a new one</translation>
    </message>
    <message>
        <source>账户“%1”刚被更改，请再试一次</source>
        <translation>The account &quot;%1&quot; has just been changed; try again</translation>
    </message>
    <message>
        <source>没有足够的内存计算密码的散列值</source>
        <translation>Not enough memory to hash the password</translation>
    </message>
    <message>
        <source>已有账户：新账户要由管理员添加</source>
        <translation>There are accounts already: an administrator adds new ones</translation>
    </message>
    <message>
        <source>第一个账户必须是管理员</source>
        <translation>The first account must be an administrator</translation>
    </message>
    <message>
        <source>只有管理员才能添加账户</source>
        <translation>Only an administrator adds accounts</translation>
    </message>
    <message>
        <source>账户名不能为空，也不能以空格开头或结尾</source>
        <translation>An account name is not empty and neither starts nor ends with a blank</translation>
    </message>
    <message>
        <source>账户“%1”已经存在</source>
        <translation>The account &quot;%1&quot; exists already</translation>
    </message>
    <message>
        <source>只有管理员才能更改账户</source>
        <translation>Only an administrator changes accounts</translation>
    </message>
    <message>
        <source>只有管理员才能更改方法</source>
        <translation>Only an administrator may change methods</translation>
    </message>
    <message>
        <source>账户“%1”已是这个角色</source>
        <translation>The account &quot;%1&quot; has this role already</translation>
    </message>
    <message>
        <source>不能去掉最后一个管理员</source>
        <translation>The last administrator cannot be removed</translation>
    </message>
    <message>
        <source>不能停用最后一个管理员</source>
        <translation>The last administrator cannot be disabled</translation>
    </message>
    <message>
        <source>账户“%1”没有停用，也没有锁定</source>
        <translation>The account &quot;%1&quot; is neither disabled nor locked</translation>
    </message>
    <message>
        <source>账户“%1”已经停用</source>
        <translation>The account &quot;%1&quot; is disabled already</translation>
    </message>
    <message>
        <source>新密码不能与原密码相同</source>
        <translation>The new password must differ from the old one</translation>
    </message>
    <message>
        <source>本站的结果日志中没有测量 %1</source>
        <translation>This station&apos;s journal has no test %1</translation>
    </message>
    <message>
        <source>测量没有完成，不能签名</source>
        <translation>The test is not completed: it cannot be signed</translation>
    </message>
    <message>
        <source>测量已审核，不能再更改</source>
        <translation>The test has been reviewed: it cannot change any more</translation>
    </message>
    <message>
        <source>只有确认了这次测量读数的人才能签名执行</source>
        <translation>Only who confirmed the test&apos;s readings signs it performed</translation>
    </message>
    <message>
        <source>这次测量已签名执行</source>
        <translation>The test is signed performed already</translation>
    </message>
    <message>
        <source>只有审核员才能审核</source>
        <translation>Only a reviewer reviews</translation>
    </message>
    <message>
        <source>测量要先签名执行，才能审核</source>
        <translation>The test must be signed performed before review</translation>
    </message>
    <message>
        <source>审核人不能是执行人</source>
        <translation>The reviewer cannot be the performer</translation>
    </message>
    <message>
        <source>没有启用批准</source>
        <translation>Approval is not in use</translation>
    </message>
    <message>
        <source>只有审核员才能批准</source>
        <translation>Only a reviewer approves</translation>
    </message>
    <message>
        <source>测量要先审核，才能批准</source>
        <translation>The test must be reviewed before approval</translation>
    </message>
    <message>
        <source>这次测量已批准</source>
        <translation>The test is approved already</translation>
    </message>
    <message>
        <source>批准人不能是执行人或审核人</source>
        <translation>The approver can be neither the performer nor the reviewer</translation>
    </message>
    <message>
        <source>测量没有完成，不能剔除读数</source>
        <translation>The test is not completed: no reading can be excluded</translation>
    </message>
    <message>
        <source>只有这次测量的执行人或审核员才能剔除读数</source>
        <translation>Only the test&apos;s performer or a reviewer excludes readings</translation>
    </message>
    <message>
        <source>剔除读数必须说明原因</source>
        <translation>An exclusion needs a reason</translation>
    </message>
    <message>
        <source>这次测量没有第 %1 个读数</source>
        <translation>The test has no reading %1</translation>
    </message>
    <message>
        <source>第 %1 个读数已剔除</source>
        <translation>Reading %1 is excluded already</translation>
    </message>
    <message>
        <source>至少要保留一个读数</source>
        <translation>At least one reading is kept</translation>
    </message>
</context>
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
    <message>
        <source>结果日志无法写入：%1</source>
        <translation>The journal cannot be written: %1</translation>
    </message>
    <message>
        <source>剔除</source>
        <translation>Excluded</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>账户</source>
        <translation>Account</translation>
    </message>
    <message>
        <source>操作</source>
        <translation>Action</translation>
    </message>
    <message>
        <source>原值 → 新值</source>
        <translation>Old → new</translation>
    </message>
    <message>
        <source>原因</source>
        <translation>Reason</translation>
    </message>
    <message>
        <source>导出审计追踪 CSV...</source>
        <translation>Export Audit Trail CSV...</translation>
    </message>
    <message>
        <source>读数</source>
        <translation>Readings</translation>
    </message>
    <message>
        <source>审计追踪</source>
        <translation>Audit Trail</translation>
    </message>
    <message>
        <source>签名…</source>
        <translation>Sign…</translation>
    </message>
    <message>
        <source>剔除读数…</source>
        <translation>Exclude Reading…</translation>
    </message>
    <message>
        <source>%1（%2）</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>已剔除：%1（%2，%3）</source>
        <translation>Excluded: %1 (%2, %3)</translation>
    </message>
    <message>
        <source>%1：%2（%3），%4%5</source>
        <translation>%1: %2 (%3), %4%5</translation>
    </message>
    <message>
        <source>，签名后已更改</source>
        <translation>, changed after signature</translation>
    </message>
    <message>
        <source>平均值 %1，标准偏差 %2</source>
        <translation>mean %1, standard deviation %2</translation>
    </message>
    <message>
        <source>全部 %1 个读数：%2；保留的 %3 个读数：%4</source>
        <translation>All %1 readings: %2; the %3 kept: %4</translation>
    </message>
    <message>
        <source>签名</source>
        <translation>Sign</translation>
    </message>
    <message>
        <source>签名测量：%1，批号 %2，开始于 %3。签名与此刻的记录相连，之后的任何更改都会显示出来。</source>
        <translation>Sign the test: %1, batch %2, started %3. The signature is tied to the record as it stands now; any later change shows.</translation>
    </message>
    <message>
        <source>剔除读数</source>
        <translation>Exclude Reading</translation>
    </message>
    <message>
        <source>剔除第 %1 个读数（%2）。读数不会删除：它仍然显示，划掉并注明原因，统计同时给出全部读数的和保留读数的结果。</source>
        <translation>Exclude reading %1 (%2). Nothing is deleted: the reading stays, struck through with its reason, and the statistics are given over all readings and over those kept.</translation>
    </message>
    <message>
        <source>导出审计追踪</source>
        <translation>Export Audit Trail</translation>
    </message>
    <message>
        <source>，备注：%1</source>
        <translation>, comment: %1</translation>
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
    <message>
        <source>结果日志无法打开，账户无法登录：%1</source>
        <translation>The journal cannot be opened, so no account can sign in: %1</translation>
    </message>
    <message>
        <source>更改密码</source>
        <translation>Change Password</translation>
    </message>
</context>
<context>
    <name>CVelmoraDlg</name>
    <message>
        <source>历史记录</source>
        <translation>History</translation>
    </message>
    <message>
        <source>这次测量已由另一个程序接管，无法在这里继续：%1</source>
        <translation>Another instance has taken this run over; it cannot be continued here: %1</translation>
    </message>
    <message numerus="yes">
        <source>删除表中的 %n 个读数并开始新的测量？</source>
        <translation>
            <numerusform>Delete the %n reading of the table and start a new run?</numerusform>
            <numerusform>Delete the %n readings of the table and start a new run?</numerusform>
        </translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
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
    <message>
        <source>窗口已锁定：输入密码后才能继续</source>
        <translation>The window is locked: enter the password to go on</translation>
    </message>
    <message>
        <source>删除要说明原因</source>
        <translation>Delete needs a reason</translation>
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
    <name>RunAudit</name>
    <message>
        <source>确认读数</source>
        <translation>reading confirmed</translation>
    </message>
    <message>
        <source>开始测量</source>
        <translation>test started</translation>
    </message>
    <message>
        <source>测量完成</source>
        <translation>test completed</translation>
    </message>
    <message>
        <source>测量作废</source>
        <translation>test discarded</translation>
    </message>
    <message>
        <source>测量放弃</source>
        <translation>test abandoned</translation>
    </message>
    <message>
        <source>测量恢复</source>
        <translation>test continued</translation>
    </message>
    <message>
        <source>清空表格</source>
        <translation>table cleared</translation>
    </message>
    <message>
        <source>发送归零</source>
        <translation>zero sent</translation>
    </message>
    <message>
        <source>发送复测+</source>
        <translation>retest+ sent</translation>
    </message>
    <message>
        <source>发送复测-</source>
        <translation>retest- sent</translation>
    </message>
    <message>
        <source>更改模式</source>
        <translation>mode changed</translation>
    </message>
    <message>
        <source>更改采样次数</source>
        <translation>count changed</translation>
    </message>
    <message>
        <source>连接中断</source>
        <translation>link lost</translation>
    </message>
    <message>
        <source>连接恢复</source>
        <translation>link restored</translation>
    </message>
    <message>
        <source>命令未发送</source>
        <translation>command not sent</translation>
    </message>
    <message>
        <source>签名</source>
        <translation>Sign</translation>
    </message>
    <message>
        <source>剔除读数</source>
        <translation>Exclude Reading</translation>
    </message>
    <message>
        <source>操作被拒绝</source>
        <translation>refused</translation>
    </message>
    <message>
        <source>第 %1 个: %2</source>
        <translation>no. %1: %2</translation>
    </message>
    <message>
        <source>平均值 %1</source>
        <translation>mean %1</translation>
    </message>
    <message>
        <source>第 %1 个 → 剔除</source>
        <translation>no. %1 → excluded</translation>
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
    <message>
        <source>签名后已更改</source>
        <translation>changed after signature</translation>
    </message>
</context>
<context>
    <name>SessionQuestions</name>
    <message>
        <source>%1
只有原来那台仪器会自动重新连接。改用这台设备吗？</source>
        <translation>%1
Only the instrument first opened is reconnected by itself. Use this device instead?</translation>
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
    <message>
        <source>结果日志 %1 无法写入（%2）。
测量照常进行。确认的读数先留在程序中，日志恢复后自动补写；程序关闭前未补写的读数不会存入日志。</source>
        <translation>The results journal %1 cannot be written (%2).
Measuring goes on. Confirmed readings are kept in the program and written to the journal as soon as it can be written again; readings not written before the program closes are not in the journal.</translation>
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
<context>
    <name>WindowLock</name>
    <message>
        <source>窗口已锁定</source>
        <translation>Window Locked</translation>
    </message>
    <message numerus="yes">
        <source>%n 分钟没有操作，窗口已锁定。读数照常显示；输入密码继续，或者由另一个账户登录，此后的读数记在该账户名下。</source>
        <translation>
            <numerusform>No input for %n minute: the window is locked. Readings go on being shown; enter the password to go on, or another account signs in, and the readings from then on are recorded under it.</numerusform>
            <numerusform>No input for %n minutes: the window is locked. Readings go on being shown; enter the password to go on, or another account signs in, and the readings from then on are recorded under it.</numerusform>
        </translation>
    </message>
</context>
</TS>
