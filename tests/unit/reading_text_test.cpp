#include "index/reading_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <limits>
#include <string>

#include "index/pinyin.h"
#include "index/pinyin_table.h"
#include "index/text_characters.h"
#include "index/word_readings_table.h"
#include "platform/utf8.h"
#include "search/launcher_query.h"
#include "search/match_score.h"

namespace tolvanir {
namespace {

std::wstring widen(const char* ascii) { return std::wstring(ascii, ascii + std::strlen(ascii)); }

TEST(ReadingText, ReadsNames) {
    struct Case {
        const char* what;
        std::wstring name;
        std::wstring expected;
    };
    const std::wstring halves = {static_cast<wchar_t>(0xD840), static_cast<wchar_t>(0xDC00),
                                 static_cast<wchar_t>(0xDFFF)};
    const Case cases[] = {
        {"empty", L"", L""},
        {"latin only", L"Notepad++ 8.6 (x64)", L""},
        {"outside the range only", L"\u3400\uF900\uFF21\U00020000", L""},          // 㐀豈Ａ𠀀
        {"word", L"\u97F3\u4E50", L"yinyue"},                                      // 音乐
        {"latin kept as it is", L"QQ\u97F3\u4E50", L"QQyinyue"},                   // QQ音乐
        {"spaces kept", L"Visual Studio \u4EE3\u7801", L"Visual Studio daima"},    // 代码
        {"runs read apart", L"\u94F6\u884C 2 \u97F3\u4E50", L"yinhang 2 yinyue"},  // 银行 2 音乐
        {"no word across a space", L"\u94F6 \u884C", L"yin xing"},                 // 银 行
        // The table reads 长 zhang; outside a word it takes its usual chang.
        {"usual reading outside words", L"\u957F\u57CE", L"changcheng"},  // 长城
        {"word over the usual reading", L"\u6210\u957F", L"chengzhang"},  // 成长
        // 莞 usually reads wan; the word keeps the table's guan.
        {"word as the table reads it", L"\u4E1C\u839E", L"dongguan"},            // 东莞
        {"longest word first", L"\u5BB6\u957F\u91CC\u77ED", L"jiachangliduan"},  // 家长里短
        {"shorter word alone", L"\u5BB6\u957F", L"jiazhang"},                    // 家长
        {"u-umlaut as v", L"\u7EFF\u8272", L"lvse"},                             // 绿色
        // Words the package lacks, added by the generator.
        {"added word", L"\u6279\u91CF\u91CD\u547D\u540D", L"piliangchongmingming"},  // 批量重命名
        {"added short name", L"\u62DB\u884C", L"zhaohang"},                          // 招行
        // A title that ends in 传 is a saga or a biography: zhuan; elsewhere,
        // alone, or in a word of passing on, it stays chuan.
        {"saga at the end", L"\u6C34\u6D52\u4F20", L"shuihuzhuan"},          // 水浒传
        {"saga after a long name", L"\u4E09\u56FD\u5FD7\u82F1\u6770\u4F20",  // 三国志英杰传
         L"sanguozhiyingjiezhuan"},
        {"saga before a number", L"\u767D\u86C7\u4F20 2", L"baishezhuan 2"},    // 白蛇传 2
        {"listed saga word", L"\u6B66\u6797\u5916\u4F20", L"wulinwaizhuan"},    // 武林外传
        {"alone", L"\u4F20", L"chuan"},                                         // 传
        {"alone after latin", L"QQ\u4F20", L"QQchuan"},                         // QQ传
        {"not at the end", L"\u4F20\u5947", L"chuanqi"},                        // 传奇
        {"upload", L"\u6587\u4EF6\u4E0A\u4F20", L"wenjianshangchuan"},          // 文件上传
        {"resumed transfer", L"\u65AD\u70B9\u7EED\u4F20", L"duandianxuchuan"},  // 断点续传
        {"two characters passing on", L"\u79D2\u4F20", L"miaochuan"},           // 秒传
        {"no reading contributes nothing", L"\u4E00\u4E06\u4E2D", L"yizhong"},  // 一丆中
        {"outside the range kept", L"\u4E2D\u3400\uF900\uFF21\u6587",
         L"zhong\u3400\uF900\uFF21wen"},                                  // 中㐀豈Ａ文
        {"supplementary kept", L"\u4E2D\U00020000", L"zhong\U00020000"},  // 中𠀀
        {"surrogate halves kept", L"\u4E2D" + halves, L"zhong" + halves},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(reading_text(c.name), c.expected) << c.what;
    }
}

// Real program names with the pinyin a native speaker types for them, in full
// and as initials (Latin parts typed as they are, lower case).
struct program_name {
    const wchar_t* name;
    const char* full;
    const char* initials;
};

const program_name kProgramNames[] = {
    // Shown by Windows in Chinese: tools, accessories and built-in apps.
    {L"\u7CFB\u7EDF\u8FD8\u539F", "xitonghuanyuan", "xthy"},        // 系统还原
    {L"\u4EFB\u52A1\u7BA1\u7406\u5668", "renwuguanliqi", "rwglq"},  // 任务管理器
    {L"\u63A7\u5236\u9762\u677F", "kongzhimianban", "kzmb"},        // 控制面板
    {L"\u8BB0\u4E8B\u672C", "jishiben", "jsb"},                     // 记事本
    {L"\u8BA1\u7B97\u5668", "jisuanqi", "jsq"},                     // 计算器
    {L"\u753B\u56FE", "huatu", "ht"},                               // 画图
    {L"\u8FDC\u7A0B\u684C\u9762\u8FDE\u63A5", "yuanchengzhuomianlianjie",
     "yczmlj"},                                                                // 远程桌面连接
    {L"\u547D\u4EE4\u63D0\u793A\u7B26", "minglingtishifu", "mltsf"},           // 命令提示符
    {L"\u78C1\u76D8\u6E05\u7406", "cipanqingli", "cpql"},                      // 磁盘清理
    {L"\u622A\u56FE\u5DE5\u5177", "jietugongju", "jtgj"},                      // 截图工具
    {L"\u8BBE\u5907\u7BA1\u7406\u5668", "shebeiguanliqi", "sbglq"},            // 设备管理器
    {L"\u6CE8\u518C\u8868\u7F16\u8F91\u5668", "zhucebiaobianjiqi", "zcbbjq"},  // 注册表编辑器
    {L"\u6587\u4EF6\u8D44\u6E90\u7BA1\u7406\u5668", "wenjianziyuanguanliqi",
     "wjzyglq"},                                                        // 文件资源管理器
    {L"\u8D44\u6E90\u76D1\u89C6\u5668", "ziyuanjianshiqi", "zyjsq"},    // 资源监视器
    {L"\u4E8B\u4EF6\u67E5\u770B\u5668", "shijianchakanqi", "sjckq"},    // 事件查看器
    {L"\u6027\u80FD\u76D1\u89C6\u5668", "xingnengjianshiqi", "xnjsq"},  // 性能监视器
    {L"\u670D\u52A1", "fuwu", "fw"},                                    // 服务
    {L"\u8BA1\u7B97\u673A\u7BA1\u7406", "jisuanjiguanli", "jsjgl"},     // 计算机管理
    {L"\u788E\u7247\u6574\u7406\u548C\u4F18\u5316\u9A71\u52A8\u5668",
     "suipianzhengliheyouhuaqudongqi", "spzlhyhqdq"},              // 碎片整理和优化驱动器
    {L"\u7CFB\u7EDF\u4FE1\u606F", "xitongxinxi", "xtxx"},          // 系统信息
    {L"\u7CFB\u7EDF\u914D\u7F6E", "xitongpeizhi", "xtpz"},         // 系统配置
    {L"\u5199\u5B57\u677F", "xieziban", "xzb"},                    // 写字板
    {L"\u653E\u5927\u955C", "fangdajing", "fdj"},                  // 放大镜
    {L"\u8BB2\u8FF0\u4EBA", "jiangshuren", "jsr"},                 // 讲述人
    {L"\u5C4F\u5E55\u952E\u76D8", "pingmujianpan", "pmjp"},        // 屏幕键盘
    {L"\u6B65\u9AA4\u8BB0\u5F55\u5668", "buzhoujiluqi", "bzjlq"},  // 步骤记录器
    {L"\u6570\u5B66\u8F93\u5165\u9762\u677F", "shuxueshurumianban", "sxsrmb"},  // 数学输入面板
    {L"\u5B57\u7B26\u6620\u5C04\u8868", "zifuyingshebiao", "zfysb"},            // 字符映射表
    {L"\u4EFB\u52A1\u8BA1\u5212\u7A0B\u5E8F", "renwujihuachengxu", "rwjhcx"},  // 任务计划程序
    {L"\u6062\u590D\u9A71\u52A8\u5668", "huifuqudongqi", "hfqdq"},             // 恢复驱动器
    {L"\u5FEB\u901F\u52A9\u624B", "kuaisuzhushou", "kszs"},                    // 快速助手
    {L"\u6253\u5370\u7BA1\u7406", "dayinguanli", "dygl"},                      // 打印管理
    {L"\u672C\u5730\u5B89\u5168\u7B56\u7565", "bendianquancelve", "bdaqcl"},   // 本地安全策略
    {L"\u7EC4\u4EF6\u670D\u52A1", "zujianfuwu", "zjfw"},                       // 组件服务
    {L"ODBC \u6570\u636E\u6E90(64 \u4F4D)", "odbcshujuyuan64wei",
     "odbcsjy64w"},  // ODBC 数据源(64 位)
    {L"Windows \u5185\u5B58\u8BCA\u65AD", "windowsneicunzhenduan",
     "windowsnczd"},  // Windows 内存诊断
    {L"Windows \u4F20\u771F\u548C\u626B\u63CF", "windowschuanzhenhesaomiao",
     "windowsczhsm"},  // Windows 传真和扫描
    {L"Windows \u5B89\u5168\u4E2D\u5FC3", "windowsanquanzhongxin",
     "windowsaqzx"},                                          // Windows 安全中心
    {L"\u8FD0\u884C", "yunxing", "yx"},                       // 运行
    {L"\u6B64\u7535\u8111", "cidiannao", "cdn"},              // 此电脑
    {L"\u83B7\u53D6\u5E2E\u52A9", "huoqubangzhu", "hqbz"},    // 获取帮助
    {L"\u4F7F\u7528\u6280\u5DE7", "shiyongjiqiao", "syjq"},   // 使用技巧
    {L"\u53CD\u9988\u4E2D\u5FC3", "fankuizhongxin", "fkzx"},  // 反馈中心
    {L"\u6DF7\u5408\u73B0\u5B9E\u95E8\u6237", "hunhexianshimenhu", "hhxsmh"},  // 混合现实门户
    {L"3D \u67E5\u770B\u5668", "3dchakanqi", "3dckq"},                         // 3D 查看器
    {L"\u753B\u56FE 3D", "huatu3d", "ht3d"},                                   // 画图 3D
    {L"Groove \u97F3\u4E50", "grooveyinyue", "grooveyy"},                      // Groove 音乐
    {L"\u7535\u5F71\u548C\u7535\u89C6", "dianyinghedianshi", "dyhds"},         // 电影和电视
    {L"\u95F9\u949F\u548C\u65F6\u949F", "naozhongheshizhong", "nzhsz"},        // 闹钟和时钟
    {L"\u622A\u56FE\u548C\u8349\u56FE", "jietuhecaotu", "jthct"},              // 截图和草图
    {L"\u8BED\u97F3\u5F55\u97F3\u673A", "yuyinluyinji", "yylyj"},              // 语音录音机
    {L"\u624B\u673A\u8FDE\u63A5", "shoujilianjie", "sjlj"},                    // 手机连接
    {L"\u7167\u7247", "zhaopian", "zp"},                                       // 照片
    {L"\u65E5\u5386", "rili", "rl"},                                           // 日历
    {L"\u90AE\u4EF6", "youjian", "yj"},                                        // 邮件
    {L"\u5929\u6C14", "tianqi", "tq"},                                         // 天气
    {L"\u5730\u56FE", "ditu", "dt"},                                           // 地图
    {L"\u76F8\u673A", "xiangji", "xj"},                                        // 相机
    {L"\u4FBF\u7B3A", "bianjian", "bj"},                                       // 便笺
    // Desktop programs: media, chat, storage, security, input methods, office, utilities.
    {L"\u7F51\u6613\u4E91\u97F3\u4E50", "wangyiyunyinyue", "wyyyy"},          // 网易云音乐
    {L"QQ\u97F3\u4E50", "qqyinyue", "qqyy"},                                  // QQ音乐
    {L"\u9177\u72D7\u97F3\u4E50", "kugouyinyue", "kgyy"},                     // 酷狗音乐
    {L"\u9177\u6211\u97F3\u4E50", "kuwoyinyue", "kwyy"},                      // 酷我音乐
    {L"\u5FAE\u4FE1", "weixin", "wx"},                                        // 微信
    {L"\u4F01\u4E1A\u5FAE\u4FE1", "qiyeweixin", "qywx"},                      // 企业微信
    {L"\u817E\u8BAFQQ", "tengxunqq", "txqq"},                                 // 腾讯QQ
    {L"\u9489\u9489", "dingding", "dd"},                                      // 钉钉
    {L"\u98DE\u4E66", "feishu", "fs"},                                        // 飞书
    {L"\u817E\u8BAF\u4F1A\u8BAE", "tengxunhuiyi", "txhy"},                    // 腾讯会议
    {L"\u817E\u8BAF\u89C6\u9891", "tengxunshipin", "txsp"},                   // 腾讯视频
    {L"\u7231\u5947\u827A", "aiqiyi", "aqy"},                                 // 爱奇艺
    {L"\u4F18\u9177", "youku", "yk"},                                         // 优酷
    {L"\u54D4\u54E9\u54D4\u54E9", "bilibili", "blbl"},                        // 哔哩哔哩
    {L"\u767E\u5EA6\u7F51\u76D8", "baiduwangpan", "bdwp"},                    // 百度网盘
    {L"\u963F\u91CC\u4E91\u76D8", "aliyunpan", "alyp"},                       // 阿里云盘
    {L"\u5929\u7FFC\u4E91\u76D8", "tianyiyunpan", "tyyp"},                    // 天翼云盘
    {L"\u575A\u679C\u4E91", "jianguoyun", "jgy"},                             // 坚果云
    {L"\u8FC5\u96F7", "xunlei", "xl"},                                        // 迅雷
    {L"360\u5B89\u5168\u536B\u58EB", "360anquanweishi", "360aqws"},           // 360安全卫士
    {L"360\u5B89\u5168\u6D4F\u89C8\u5668", "360anquanliulanqi", "360aqllq"},  // 360安全浏览器
    {L"360\u6740\u6BD2", "360shadu", "360sd"},                                // 360杀毒
    {L"360\u538B\u7F29", "360yasuo", "360ys"},                                // 360压缩
    {L"\u817E\u8BAF\u7535\u8111\u7BA1\u5BB6", "tengxundiannaoguanjia", "txdngj"},  // 腾讯电脑管家
    {L"\u706B\u7ED2\u5B89\u5168", "huoronganquan", "hraq"},                        // 火绒安全
    {L"\u91D1\u5C71\u6BD2\u9738", "jinshanduba", "jsdb"},                          // 金山毒霸
    {L"\u641C\u72D7\u8F93\u5165\u6CD5", "sougoushurufa", "sgsrf"},  // 搜狗输入法
    {L"\u641C\u72D7\u9AD8\u901F\u6D4F\u89C8\u5668", "sougougaosuliulanqi",
     "sggsllq"},                                                            // 搜狗高速浏览器
    {L"\u767E\u5EA6\u8F93\u5165\u6CD5", "baidushurufa", "bdsrf"},           // 百度输入法
    {L"\u5FAE\u8F6F\u62FC\u97F3", "weiruanpinyin", "wrpy"},                 // 微软拼音
    {L"QQ\u62FC\u97F3\u8F93\u5165\u6CD5", "qqpinyinshurufa", "qqpysrf"},    // QQ拼音输入法
    {L"\u8BAF\u98DE\u8F93\u5165\u6CD5", "xunfeishurufa", "xfsrf"},          // 讯飞输入法
    {L"QQ\u4E94\u7B14\u8F93\u5165\u6CD5", "qqwubishurufa", "qqwbsrf"},      // QQ五笔输入法
    {L"WPS\u6587\u5B57", "wpswenzi", "wpswz"},                              // WPS文字
    {L"WPS\u8868\u683C", "wpsbiaoge", "wpsbg"},                             // WPS表格
    {L"WPS\u6F14\u793A", "wpsyanshi", "wpsys"},                             // WPS演示
    {L"\u91D1\u5C71\u6587\u6863", "jinshanwendang", "jswd"},                // 金山文档
    {L"\u817E\u8BAF\u6587\u6863", "tengxunwendang", "txwd"},                // 腾讯文档
    {L"\u77F3\u58A8\u6587\u6863", "shimowendang", "smwd"},                  // 石墨文档
    {L"\u5370\u8C61\u7B14\u8BB0", "yinxiangbiji", "yxbj"},                  // 印象笔记
    {L"\u6709\u9053\u4E91\u7B14\u8BB0", "youdaoyunbiji", "ydybj"},          // 有道云笔记
    {L"\u4E3A\u77E5\u7B14\u8BB0", "weizhibiji", "wzbj"},                    // 为知笔记
    {L"\u6709\u9053\u8BCD\u5178", "youdaocidian", "ydcd"},                  // 有道词典
    {L"\u91D1\u5C71\u8BCD\u9738", "jinshanciba", "jscb"},                   // 金山词霸
    {L"\u798F\u6615PDF\u9605\u8BFB\u5668", "fuxinpdfyueduqi", "fxpdfydq"},  // 福昕PDF阅读器
    {L"QQ\u6D4F\u89C8\u5668", "qqliulanqi", "qqllq"},                       // QQ浏览器
    {L"\u730E\u8C79\u6D4F\u89C8\u5668", "liebaoliulanqi", "lbllq"},         // 猎豹浏览器
    {L"2345\u52A0\u901F\u6D4F\u89C8\u5668", "2345jiasuliulanqi", "2345jsllq"},  // 2345加速浏览器
    {L"\u4E16\u754C\u4E4B\u7A97\u6D4F\u89C8\u5668", "shijiezhichuangliulanqi",
     "sjzcllq"},                                                      // 世界之窗浏览器
    {L"\u9A71\u52A8\u7CBE\u7075", "qudongjingling", "qdjl"},          // 驱动精灵
    {L"\u9A71\u52A8\u4EBA\u751F", "qudongrensheng", "qdrs"},          // 驱动人生
    {L"\u9C81\u5927\u5E08", "ludashi", "lds"},                        // 鲁大师
    {L"2345\u770B\u56FE\u738B", "2345kantuwang", "2345ktw"},          // 2345看图王
    {L"2345\u597D\u538B", "2345haoya", "2345hy"},                     // 2345好压
    {L"\u5206\u533A\u52A9\u624B", "fenquzhushou", "fqzs"},            // 分区助手
    {L"\u56FE\u5427\u5DE5\u5177\u7BB1", "tubagongjuxiang", "tbgjx"},  // 图吧工具箱
    {L"\u5411\u65E5\u8475\u8FDC\u7A0B\u63A7\u5236", "xiangrikuiyuanchengkongzhi",
     "xrkyckz"},  // 向日葵远程控制
    {L"\u4E00\u952E\u8FD8\u539F\u7CBE\u7075", "yijianhuanyuanjingling", "yjhyjl"},  // 一键还原精灵
    {L"\u5C0F\u767D\u4E00\u952E\u91CD\u88C5\u7CFB\u7EDF", "xiaobaiyijianchongzhuangxitong",
     "xbyjczxt"},                                                        // 小白一键重装系统
    {L"\u526A\u6620\u4E13\u4E1A\u7248", "jianyingzhuanyeban", "jyzyb"},  // 剪映专业版
    {L"\u7F8E\u56FE\u79C0\u79C0", "meituxiuxiu", "mtxx"},                // 美图秀秀
    {L"\u683C\u5F0F\u5DE5\u5382", "geshigongchang", "gsgc"},             // 格式工厂
    {L"\u66B4\u98CE\u5F71\u97F3", "baofengyingyin", "bfyy"},             // 暴风影音
    {L"\u8FC5\u96F7\u5F71\u97F3", "xunleiyingyin", "xlyy"},              // 迅雷影音
    {L"\u4F1A\u58F0\u4F1A\u5F71", "huishenghuiying", "hshy"},            // 会声会影
    {L"\u7231\u526A\u8F91", "aijianji", "ajj"},                          // 爱剪辑
    {L"\u4E50\u64AD\u6295\u5C4F", "lebotouping", "lbtp"},                // 乐播投屏
    {L"\u4E50\u89C6\u89C6\u9891", "leshishipin", "lssp"},                // 乐视视频
    {L"YY\u8BED\u97F3", "yyyuyin", "yyyy"},                              // YY语音
    {L"\u963F\u91CC\u65FA\u65FA", "aliwangwang", "alww"},                // 阿里旺旺
    {L"\u5343\u725B\u5DE5\u4F5C\u53F0", "qianniugongzuotai", "qngzt"},   // 千牛工作台
    {L"\u652F\u4ED8\u5B9D", "zhifubao", "zfb"},                          // 支付宝
    // Trading and banking clients.
    {L"\u540C\u82B1\u987A", "tonghuashun", "ths"},           // 同花顺
    {L"\u4E1C\u65B9\u8D22\u5BCC", "dongfangcaifu", "dfcf"},  // 东方财富
    {L"\u5927\u667A\u6167", "dazhihui", "dzh"},              // 大智慧
    {L"\u901A\u8FBE\u4FE1\u91D1\u878D\u7EC8\u7AEF", "tongdaxinjinrongzhongduan",
     "tdxjrzd"},                                                   // 通达信金融终端
    {L"\u957F\u57CE\u8BC1\u5238", "changchengzhengquan", "cczq"},  // 长城证券
    {L"\u62DB\u5546\u94F6\u884C", "zhaoshangyinhang", "zsyh"},     // 招商银行
    {L"\u62DB\u5546\u94F6\u884C\u4E13\u4E1A\u7248", "zhaoshangyinhangzhuanyeban",
     "zsyhzyb"},                                               // 招商银行专业版
    {L"\u4E2D\u56FD\u94F6\u884C", "zhongguoyinhang", "zgyh"},  // 中国银行
    {L"\u4E2D\u56FD\u5DE5\u5546\u94F6\u884C", "zhongguogongshangyinhang",
     "zggsyh"},  // 中国工商银行
    {L"\u4E2D\u56FD\u5EFA\u8BBE\u94F6\u884C", "zhongguojiansheyinhang", "zgjsyh"},  // 中国建设银行
    {L"\u4E2D\u56FD\u519C\u4E1A\u94F6\u884C", "zhongguonongyeyinhang", "zgnyyh"},  // 中国农业银行
    {L"\u4EA4\u901A\u94F6\u884C", "jiaotongyinhang", "jtyh"},                      // 交通银行
    {L"\u4E2D\u56FD\u90AE\u653F\u50A8\u84C4\u94F6\u884C", "zhongguoyouzhengchuxuyinhang",
     "zgyzcxyh"},                                               // 中国邮政储蓄银行
    {L"\u5174\u4E1A\u94F6\u884C", "xingyeyinhang", "xyyh"},     // 兴业银行
    {L"\u6D66\u53D1\u94F6\u884C", "pufayinhang", "pfyh"},       // 浦发银行
    {L"\u4E2D\u4FE1\u94F6\u884C", "zhongxinyinhang", "zxyh"},   // 中信银行
    {L"\u5149\u5927\u94F6\u884C", "guangdayinhang", "gdyh"},    // 光大银行
    {L"\u6C11\u751F\u94F6\u884C", "minshengyinhang", "msyh"},   // 民生银行
    {L"\u5E73\u5B89\u94F6\u884C", "pinganyinhang", "payh"},     // 平安银行
    {L"\u534E\u590F\u94F6\u884C", "huaxiayinhang", "hxyh"},     // 华夏银行
    {L"\u5317\u4EAC\u94F6\u884C", "beijingyinhang", "bjyh"},    // 北京银行
    {L"\u4E0A\u6D77\u94F6\u884C", "shanghaiyinhang", "shyh"},   // 上海银行
    {L"\u5E7F\u53D1\u94F6\u884C", "guangfayinhang", "gfyh"},    // 广发银行
    {L"\u5B81\u6CE2\u94F6\u884C", "ningboyinhang", "nbyh"},     // 宁波银行
    {L"\u957F\u6C99\u94F6\u884C", "changshayinhang", "csyh"},   // 长沙银行
    {L"\u4E1C\u839E\u94F6\u884C", "dongguanyinhang", "dgyh"},   // 东莞银行
    {L"\u6210\u90FD\u94F6\u884C", "chengduyinhang", "cdyh"},    // 成都银行
    {L"\u91CD\u5E86\u94F6\u884C", "chongqingyinhang", "cqyh"},  // 重庆银行
    {L"\u91CD\u5E86\u519C\u6751\u5546\u4E1A\u94F6\u884C", "chongqingnongcunshangyeyinhang",
     "cqncsyyh"},  // 重庆农村商业银行
    // Travel, maps, emulators, education, drivers.
    {L"\u643A\u7A0B\u65C5\u884C", "xiechenglvxing", "xclx"},                     // 携程旅行
    {L"\u98DE\u732A\u65C5\u884C", "feizhulvxing", "fzlx"},                       // 飞猪旅行
    {L"\u53BB\u54EA\u513F\u65C5\u884C", "qunaerlvxing", "qnelx"},                // 去哪儿旅行
    {L"\u767E\u5EA6\u5730\u56FE", "baiduditu", "bddt"},                          // 百度地图
    {L"\u9AD8\u5FB7\u5730\u56FE", "gaodeditu", "gddt"},                          // 高德地图
    {L"\u767E\u5EA6\u7FFB\u8BD1", "baidufanyi", "bdfy"},                         // 百度翻译
    {L"\u7F51\u6613\u90AE\u7BB1\u5927\u5E08", "wangyiyouxiangdashi", "wyyxds"},  // 网易邮箱大师
    {L"\u7F51\u6613UU\u52A0\u901F\u5668", "wangyiuujiasuqi", "wyuujsq"},  // 网易UU加速器
    {L"\u8FC5\u6E38\u52A0\u901F\u5668", "xunyoujiasuqi", "xyjsq"},        // 迅游加速器
    {L"\u96F7\u7535\u6A21\u62DF\u5668", "leidianmoniqi", "ldmnq"},        // 雷电模拟器
    {L"\u591C\u795E\u6A21\u62DF\u5668", "yeshenmoniqi", "ysmnq"},         // 夜神模拟器
    {L"\u817E\u8BAF\u624B\u6E38\u52A9\u624B", "tengxunshouyouzhushou", "txsyzs"},  // 腾讯手游助手
    {L"\u5FAE\u4FE1\u5F00\u53D1\u8005\u5DE5\u5177", "weixinkaifazhegongju",
     "wxkfzgj"},                                          // 微信开发者工具
    {L"\u5E0C\u6C83\u767D\u677F", "xiwobaiban", "xwbb"},  // 希沃白板
    {L"\u96E8\u8BFE\u5802", "yuketang", "ykt"},           // 雨课堂
    {L"\u5B66\u4E60\u901A", "xuexitong", "xxt"},          // 学习通
    {L"\u82F1\u7279\u5C14\u00AE \u663E\u5361\u63A7\u5236\u4E2D\u5FC3",
     "yingteerxiankakongzhizhongxin", "ytexkkzzx"},  // 英特尔® 显卡控制中心
    {L"NVIDIA \u63A7\u5236\u9762\u677F", "nvidiakongzhimianban", "nvidiakzmb"},  // NVIDIA 控制面板
    {L"Realtek\u9AD8\u6E05\u6670\u97F3\u9891\u7BA1\u7406\u5668", "realtekgaoqingxiyinpinguanliqi",
     "realtekgqxypglq"},  // Realtek高清晰音频管理器
    // Games.
    {L"\u82F1\u96C4\u8054\u76DF", "yingxionglianmeng", "yxlm"},                  // 英雄联盟
    {L"\u7A7F\u8D8A\u706B\u7EBF", "chuanyuehuoxian", "cyhx"},                    // 穿越火线
    {L"\u5730\u4E0B\u57CE\u4E0E\u52C7\u58EB", "dixiachengyuyongshi", "dxcyys"},  // 地下城与勇士
    {L"\u539F\u795E", "yuanshen", "ys"},                                         // 原神
    {L"\u5D29\u574F\uFF1A\u661F\u7A79\u94C1\u9053", "benghuaixingqiongtiedao",
     "bhxqtd"},                                                        // 崩坏：星穹铁道
    {L"\u738B\u8005\u8363\u8000", "wangzherongyao", "wzry"},           // 王者荣耀
    {L"\u548C\u5E73\u7CBE\u82F1", "hepingjingying", "hpjy"},           // 和平精英
    {L"\u68A6\u5E7B\u897F\u6E38", "menghuanxiyou", "mhxy"},            // 梦幻西游
    {L"\u5927\u8BDD\u897F\u6E382", "dahuaxiyou2", "dhxy2"},            // 大话西游2
    {L"\u9B54\u517D\u4E16\u754C", "moshoushijie", "mssj"},             // 魔兽世界
    {L"\u7089\u77F3\u4F20\u8BF4", "lushichuanshuo", "lscs"},           // 炉石传说
    {L"\u70ED\u8840\u4F20\u5947", "rexuechuanqi", "rxcq"},             // 热血传奇
    {L"\u4F20\u5947\u4E16\u754C", "chuanqishijie", "cqsj"},            // 传奇世界
    {L"\u5251\u7F513", "jianwang3", "jw3"},                            // 剑网3
    {L"\u9006\u6C34\u5BD2", "nishuihan", "nsh"},                       // 逆水寒
    {L"\u5929\u6DAF\u660E\u6708\u5200", "tianyamingyuedao", "tymyd"},  // 天涯明月刀
    {L"\u6C38\u52AB\u65E0\u95F4", "yongjiewujian", "yjwj"},            // 永劫无间
    {L"\u6211\u7684\u4E16\u754C", "wodeshijie", "wdsj"},               // 我的世界
    {L"\u690D\u7269\u5927\u6218\u50F5\u5C38", "zhiwudazhanjiangshi", "zwdzjs"},  // 植物大战僵尸
    {L"\u4E09\u56FD\u6740", "sanguosha", "sgs"},                                 // 三国杀
    {L"\u4E2D\u56FD\u8C61\u68CB", "zhongguoxiangqi", "zgxq"},                    // 中国象棋
    {L"\u6B22\u4E50\u6597\u5730\u4E3B", "huanledoudizhu", "hlddz"},              // 欢乐斗地主
    {L"\u5355\u673A\u6597\u5730\u4E3B", "danjidoudizhu", "djddz"},               // 单机斗地主
    {L"\u626B\u96F7", "saolei", "sl"},                                           // 扫雷
    {L"\u7A7A\u5F53\u63A5\u9F99", "kongdangjielong", "kdjl"},                    // 空当接龙
    {L"\u8718\u86DB\u7EB8\u724C", "zhizhuzhipai", "zzzp"},                       // 蜘蛛纸牌
    {L"\u7B2C\u4E94\u4EBA\u683C", "diwurenge", "dwrg"},                          // 第五人格
    {L"\u9634\u9633\u5E08", "yinyangshi", "yys"},                                // 阴阳师
    {L"\u9E23\u6F6E", "mingchao", "mc"},                                         // 鸣潮
    {L"\u7EDD\u5730\u6C42\u751F", "juediqiusheng", "jdqs"},                      // 绝地求生
    {L"\u91D1\u94F2\u94F2\u4E4B\u6218", "jinchanchanzhizhan", "jcczz"},          // 金铲铲之战
    {L"\u5029\u5973\u5E7D\u9B42", "qiannvyouhun", "qnyh"},                       // 倩女幽魂
    {L"\u7387\u571F\u4E4B\u6EE8", "shuaituzhibin", "stzb"},                      // 率土之滨
    {L"\u5C11\u5E74\u4E09\u56FD\u5FD7", "shaoniansanguozhi", "snsgz"},           // 少年三国志
    {L"\u4E07\u56FD\u89C9\u9192", "wanguojuexing", "wgjx"},                      // 万国觉醒
    {L"\u5929\u9F99\u516B\u90E8", "tianlongbabu", "tlbb"},                       // 天龙八部
    {L"\u95EE\u9053", "wendao", "wd"},                                           // 问道
    {L"\u8BDB\u4ED9", "zhuxian", "zx"},                                          // 诛仙
    {L"\u5B8C\u7F8E\u4E16\u754C", "wanmeishijie", "wmsj"},                       // 完美世界
    {L"QQ\u98DE\u8F66", "qqfeiche", "qqfc"},                                     // QQ飞车
    {L"QQ\u70AB\u821E", "qqxuanwu", "qqxw"},                                     // QQ炫舞
    {L"\u5F39\u5F39\u5802", "dandantang", "ddt"},                                // 弹弹堂
    {L"\u5B88\u671B\u5148\u950B", "shouwangxianfeng", "swxf"},                   // 守望先锋
    {L"\u6697\u9ED1\u7834\u574F\u795E", "anheipohuaishen", "ahphs"},             // 暗黑破坏神
    {L"\u661F\u9645\u4E89\u9738", "xingjizhengba", "xjzb"},                      // 星际争霸
    {L"\u9B54\u517D\u4E89\u9738", "moshouzhengba", "mszb"},                      // 魔兽争霸
    {L"\u4ED9\u5251\u5947\u4FA0\u4F20", "xianjianqixiazhuan", "xjqxz"},          // 仙剑奇侠传
    {L"\u5C04\u96D5\u82F1\u96C4\u4F20", "shediaoyingxiongzhuan", "sdyxz"},       // 射雕英雄传
    {L"\u8F69\u8F95\u5251\u5916\u4F20", "xuanyuanjianwaizhuan", "xyjwz"},        // 轩辕剑外传
    // Sagas whose names the word list does not hold: read by their last 传.
    {L"\u6C34\u6D52\u4F20", "shuihuzhuan", "shz"},                                 // 水浒传
    {L"\u4E09\u56FD\u5FD7\u82F1\u6770\u4F20", "sanguozhiyingjiezhuan", "sgzyjz"},  // 三国志英杰传
    {L"\u4E09\u56FD\u5FD7\u5B54\u660E\u4F20", "sanguozhikongmingzhuan", "sgzkmz"},  // 三国志孔明传
    {L"\u4E09\u56FD\u5FD7\u66F9\u64CD\u4F20", "sanguozhicaocaozhuan", "sgzccz"},  // 三国志曹操传
    {L"\u91D1\u5EB8\u7FA4\u4FA0\u4F20", "jinyongqunxiazhuan", "jyqxz"},           // 金庸群侠传
    {L"\u6B66\u6797\u7FA4\u4FA0\u4F20", "wulinqunxiazhuan", "wlqxz"},             // 武林群侠传
    {L"\u706B\u5F71\u5FCD\u8005\u75BE\u98CE\u4F20", "huoyingrenzhejifengzhuan",
     "hyrzjfz"},  // 火影忍者疾风传
    {L"\u65B0\u6C34\u6D52\u4F20 Online", "xinshuihuzhuanonline", "xshzonline"},  // 新水浒传 Online
};

// Each name typed as people type it, through the query: found when its item
// gets a row (from its search text, or an extra row from its reading text).
TEST(ReadingText, FindsProgramNamesByTheirPinyin) {
    tolvanir_list index;
    for (const program_name& p : kProgramNames) {
        // What scanning builds for a shortcut of that name with no target.
        program_item item;
        item.display_name = p.name;
        for (const wchar_t c : item.display_name) {
            if (c != L' ') item.search_text += c;
        }
        item.search_text += to_pinyin(item.display_name);
        item.path = std::wstring(L"C:\\Programs\\") + p.name + L".lnk";
        index.insert_item(item);
    }
    launcher_query launcher(index);
    counting_result_list list;
    std::size_t by_table[2] = {0, 0};
    std::size_t found[2] = {0, 0};
    for (const program_name& p : kProgramNames) {
        const char* const typed[2] = {p.full, p.initials};
        for (int k = 0; k < 2; ++k) {
            launcher.run_search(widen(typed[k]), list);
            const shown_results& rows = launcher.results();
            const auto row = std::find_if(rows.begin(), rows.end(), [&](const result_entry& r) {
                return r.shown_text == p.name;
            });
            EXPECT_NE(row, rows.end())
                << typed[k] << " does not find " << ::testing::PrintToString(std::wstring(p.name))
                << ", read as " << ::testing::PrintToString(reading_text(p.name));
            if (row == rows.end()) continue;
            ++found[k];
            std::wstring search_text;
            for (const wchar_t c : std::wstring(p.name)) {
                if (c != L' ') search_text += c;
            }
            by_table[k] += match_score(widen(typed[k]), search_text + to_pinyin(p.name)) != 0.0;
        }
    }
    const double percent = 100.0 / static_cast<double>(std::size(kProgramNames));
    std::printf(
        "%zu program names found in full / by initials: %.1f %% / %.1f %% by the "
        "character table alone, %.1f %% / %.1f %% with the reading text\n",
        std::size(kProgramNames), percent * static_cast<double>(by_table[0]),
        percent * static_cast<double>(by_table[1]), percent * static_cast<double>(found[0]),
        percent * static_cast<double>(found[1]));
}

// The lookup relies on this shape: binary search over sorted characters, and
// each character's words tiling its range of records.
TEST(WordReadingsTable, IsWellFormed) {
    ASSERT_GT(reading_char_count, 0u);
    for (std::size_t i = 0; i < reading_char_count; ++i) {
        const reading_char& entry = reading_chars[i];
        ASSERT_TRUE(entry.ch >= pinyin_first && entry.ch <= pinyin_last) << i;
        if (i > 0) {
            ASSERT_LT(reading_chars[i - 1].ch, entry.ch) << i;
        }
        ASSERT_LT(entry.syllable, pinyin_pool_size) << i;
        std::size_t previous_length = std::numeric_limits<std::size_t>::max();
        std::size_t at = entry.words;
        while (at < reading_chars[i + 1].words) {
            const std::size_t length = reading_words[at];
            ASSERT_TRUE(length >= 2 && length <= previous_length) << "word at " << at;
            for (std::size_t k = 1; k < length; ++k) {
                const std::uint16_t ch = reading_words[at + k];
                ASSERT_TRUE(ch >= pinyin_first && ch <= pinyin_last) << "word at " << at;
            }
            for (std::size_t k = length; k < 2 * length; ++k) {
                const std::uint16_t syllable = reading_words[at + k];
                ASSERT_TRUE(syllable > 0 && syllable < pinyin_pool_size) << "word at " << at;
            }
            previous_length = length;
            at += 2 * length;
        }
        ASSERT_EQ(at, reading_chars[i + 1].words) << "words of entry " << i << " overrun";
    }
}

// A query reads a reading text only where reading_characters_of says there
// is one that may hold the query's characters: it must say so wherever it
// does, for every character alone, every listed word, and a title's end.
TEST(ReadingText, ItsCharactersAreKnownFromTheNameAlone) {
    const auto holds = [](const std::wstring& name) {
        std::string packed, reading;
        append_wtf8(packed, name);
        append_wtf8(reading, reading_text(name));
        for (char& c : reading) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        const std::uint64_t may = reading_characters_of(packed);
        return (characters_of(reading) & ~may) == 0 && (may != 0 || reading.empty());
    };
    std::vector<std::wstring> names = {L"", L"Notepad 2", L"\u00C4rger", L"Q\u8BB0Q9"};
    for (wchar_t c = pinyin_first; c <= pinyin_last; ++c) names.push_back(std::wstring(1, c));
    for (std::size_t i = 0; i < reading_char_count; ++i) {
        for (std::size_t at = reading_chars[i].words; at < reading_chars[i + 1].words;
             at += 2 * reading_words[at]) {
            std::wstring word(1, static_cast<wchar_t>(reading_chars[i].ch));
            for (std::size_t k = 1; k < reading_words[at]; ++k) {
                word.push_back(static_cast<wchar_t>(reading_words[at + k]));
            }
            names.push_back(word);
            names.push_back(L"X" + word + L"\u4F20");
        }
    }
    for (std::size_t k = 0; k < final_reading_count; ++k) {
        names.push_back(std::wstring(L"\u6C34\u6D52") + static_cast<wchar_t>(final_readings[k].ch));
    }
    for (const std::wstring& name : names) EXPECT_TRUE(holds(name)) << to_utf8(name);
}

}  // namespace
}  // namespace tolvanir
