#!/usr/bin/env python3
"""Writes the sample timetable in data/sample/ (the source form that `zelvan-cli build` compiles).

The sample is made from curated line data below: real lines with their stations and the
distance of each station from the start of the line, and train services that run along one or
more of those lines. Everything is computed deterministically (no clock, no global random
state), so running the script twice gives byte-identical files.

    python3 tools/make_sample.py            # write data/sample/*
    python3 tools/make_sample.py --check    # fail when data/sample/* differs from the script
    python3 tools/make_sample.py --report   # numbers and example queries
    python3 tools/make_sample.py --self-test  # the checks catch planted faults
    python3 tools/make_sample.py --out DIR  # write elsewhere

Standard library only. The files and their columns are described in docs/formats.md.
"""

import argparse
import os
import sys
import zlib

# ---------------------------------------------------------------------------------------------
# Lines: "id: station km, station km, ..." with km from the start of the line. A leading "*"
# marks a major station (the stops of express services). A station that appears on several
# lines is one station (a junction or a shared station); its km differ from line to line.

LINES_TEXT = """
jh: *北京 0, 廊坊 64, *天津 137, 沧州 228, 德州 314, 禹城 372, *济南 495, 泰山 566, 兖州 641,
    滕州 702, *徐州 814, 宿州 903, *蚌埠 979, 滁州 1104, *南京 1157, 镇江 1226, 常州 1296,
    无锡 1337, *苏州 1379, 昆山 1415, *上海 1463
jhgt: *北京南 0, 廊坊 59, *天津南 131, 沧州西 219, 德州东 327, *济南西 419, 泰安 462,
    曲阜东 533, 滕州东 589, 枣庄 627, *徐州东 688, 宿州东 767, *蚌埠南 844, 定远 897,
    滁州 959, *南京南 1023, 镇江南 1087, 丹阳北 1112, 常州北 1153, *无锡东 1210, 苏州北 1237,
    昆山南 1268, *上海虹桥 1318
jt_tjx: *北京南 0, *天津西 122, 沧州西 220
jnx: *济南西 0, *济南 14
hn: *上海 0, 上海西 9, 南翔北 20, 安亭北 33, 花桥 41, 昆山南 49, 阳澄湖 68, 苏州园区 76,
    *苏州 84, 苏州新区 97, 无锡新区 115, *无锡 126, 惠山 137, 戚墅堰 156, *常州 166, 丹阳 207,
    *镇江 237, 宝华山 272, 仙林 286, *南京 301
jcj: *北京南 0, 亦庄 19, 武清 77, *天津 120, 军粮城北 141, 塘沽 160, *于家堡 166
jg: *北京西 0, 涿州 59, 高碑店 85, *保定 146, 定州 206, *石家庄 277, 高邑 336, 邢台 385,
    *邯郸 441, 安阳 500, 鹤壁 552, 新乡 612, *郑州 689, 许昌 776, 漯河 833, 驻马店 899,
    *信阳 1003, 广水 1074, 孝感 1145, *汉口 1207, *武昌 1225, 咸宁 1312, 赤壁 1346, *岳阳 1438,
    汨罗 1498, *长沙 1587, *株洲 1638, 衡山 1711, *衡阳 1769, 耒阳 1829, *郴州 1937,
    *韶关 2089, 英德 2163, *广州 2294
gs: *广州 0, *广州东 14, 石龙 60, *东莞东 82, 樟木头 95, 平湖 126, *深圳 147
jggt: *北京西 0, 涿州东 61, 高碑店东 80, *保定东 139, 定州东 198, *石家庄 281, 高邑西 338,
    邢台东 387, *邯郸东 445, 安阳东 508, 鹤壁东 554, 新乡东 617, *郑州东 693, 许昌东 779,
    漯河西 833, 驻马店西 901, 信阳东 995, 孝感北 1121, *武汉 1229, 咸宁北 1316, 赤壁北 1349,
    *岳阳东 1444, 汨罗东 1511, *长沙南 1591, 株洲西 1645, 衡山西 1717, *衡阳东 1773,
    耒阳西 1832, 郴州西 1920, *韶关 2070, 英德西 2152, 清远 2215, 广州北 2237, *广州南 2298,
    虎门 2357, *深圳北 2400, 福田 2410
jsh: *北京 0, *天津 137, *唐山 262, 滦县 301, 北戴河 384, *秦皇岛 401, *山海关 416
jhc: *北京 0, *秦皇岛 262, *山海关 277, 绥中 340, 兴城 404, 葫芦岛 428, *锦州 481,
    沟帮子 571, *沈阳 703, *沈阳北 710, 铁岭 779, 开原 814, *四平 893, 公主岭 947, *长春 1008,
    德惠 1076, 扶余 1121, 双城堡 1197, *哈尔滨 1249
shd: *沈阳北 0, *沈阳 7, 辽阳 72, *鞍山 96, 海城 129, 大石桥 161, 瓦房店 307, 金州 370,
    *大连 404
hdgt: *北京朝阳 0, 怀柔南 57, *承德南 179, 平泉北 263, *朝阳 451, 阜新 549, *沈阳 698,
    *沈阳北 705, 铁岭西 773, *四平东 889, *长春西 994, 德惠西 1080, 扶余北 1133, 双城北 1189,
    *哈尔滨西 1239
hdgt2: *沈阳北 0, *鞍山西 89, 海城西 118, 营口东 180, 鲅鱼圈 220, 瓦房店西 299, *大连北 383
bs: *哈尔滨 0, 阿城 28, 尚志 128, 亚布力 232, 横道河子 305, *牡丹江 355
lh: 连云港 0, 东海 45, 新沂 120, *徐州 193, 砀山 282, *商丘 330, 兰考 410, *开封 469,
    *郑州 535, 巩义 611, *洛阳 659, 渑池 726, *三门峡 781, 灵宝 845, 华山 913, 渭南 977,
    *西安 1046, 咸阳 1071, 杨凌 1128, *宝鸡 1219, *天水 1373, 陇西 1562, 定西 1620, *兰州 1721
xlgt: *徐州东 0, 萧县北 23, 永城北 97, *商丘 145, 民权北 199, 兰考南 231, 开封北 292,
    *郑州东 362, 巩义南 420, *洛阳龙门 487, 渑池南 556, *三门峡南 609, 灵宝西 655, 华山北 746,
    渭南北 808, *西安北 867, 杨凌南 950, 岐山 990, *宝鸡南 1034, *天水南 1156, 秦安 1190,
    通渭 1270, 定西北 1316, 榆中 1390, *兰州西 1433
bc: *宝鸡 0, 略阳 220, *广元 349, 江油 487, *绵阳 525, 德阳 590, *成都 669
xc: *西安北 0, 鄠邑 40, 佛坪 180, *汉中 343, 宁强南 420, *广元 448, 江油 557, *绵阳 592,
    德阳 640, *成都东 705
hk: *上海南 0, 松江 30, 嘉善 56, *嘉兴 84, 海宁 117, *杭州 186, 杭州南 205, 诸暨 260,
    *义乌 321, *金华 368, 龙游 428, *衢州 456, 江山 490, 玉山 528, *上饶 578, 弋阳 640,
    *鹰潭 697, 进贤 773, *南昌 840, 樟树 910, *新余 990, 宜春 1045, *萍乡 1115, 醴陵 1157,
    *株洲 1210, 湘潭 1256, *娄底 1342, 冷水江东 1415, 新化 1460, *怀化 1620, 玉屏 1750,
    镇远 1805, *凯里 1862, *贵阳 1996, *安顺 2092, *六盘水 2260, *曲靖 2484, *昆明 2639
sh_sj: *上海 0, 松江 39
hkgt: *上海虹桥 0, 松江南 38, 金山北 48, 嘉善南 70, *嘉兴南 84, 桐乡 108, 海宁西 122,
    *杭州东 159, 杭州南 178, 诸暨 232, *义乌 290, *金华 336, 龙游 390, *衢州 420, 江山 453,
    玉山南 484, *上饶 513, 弋阳 558, *鹰潭北 617, 进贤南 670, *南昌西 725, 高安 767,
    新余北 855, 宜春 897, 萍乡北 961, 醴陵东 994, *长沙南 1081, 湘潭北 1123, 韶山南 1141,
    娄底南 1204, 邵阳北 1266, 新化南 1315, *怀化南 1410, 芷江 1450, 铜仁南 1505, 三穗 1580,
    *凯里南 1660, *贵阳北 1756, 清镇西 1790, *安顺西 1847, 关岭 1890, 盘州 1983, 富源北 2040,
    *曲靖北 2112, 嵩明 2180, *昆明南 2252
hsgt: *杭州东 0, 绍兴北 55, 余姚北 112, *宁波东 153, 奉化 180, 宁海 230, 三门县 262, *台州 300,
    温岭 335, 乐清 375, *温州南 410, 瑞安 432, 苍南 477, 福鼎 521, 霞浦 568, 宁德 634, *福州 719,
    *福州南 735, 福清 789, *莆田 830, *泉州 891, 晋江 920, *厦门北 961, 漳州 1010, 诏安 1110,
    饶平 1140, *潮汕 1180, 普宁 1215, 陆丰 1270, 汕尾 1300, 惠东 1345, *惠州南 1380,
    深圳坪山 1406, *深圳北 1450, 福田 1460
xm: *厦门北 0, *厦门 22
jj: *北京西 0, 霸州 86, 任丘 147, *衡水 274, 清河城 337, 临清 370, *聊城 410, 梁山 480,
    郓城 510, *菏泽 603, *商丘 705, 亳州 777, *阜阳 871, 淮滨 950, 潢川 999, 新县 1070,
    *麻城 1116, 黄州 1185, 蕲春 1240, 黄梅 1285, *九江 1314, 德安 1380, 永修 1400, *南昌 1449,
    向塘 1480, 丰城 1520, *吉安 1673, 泰和 1710, 兴国 1780, *赣州 1867, 定南 2010, *龙川 2133,
    *河源 2194, *惠州 2279, *东莞东 2330, *深圳 2372
jb: *北京 0, 沙城 118, 宣化 176, *张家口南 200, 柴沟堡 270, 天镇 300, *大同 383, 丰镇 447,
    *集宁南 522, 卓资山 585, *呼和浩特 668, 萨拉齐 750, 包头东 814, *包头 827
jzgt: *北京北 0, 清河 11, 昌平 33, 八达岭长城 69, 东花园北 85, 怀来 105, 下花园北 129,
    宣化北 157, *张家口 174, 怀安 210, 阳高南 270, *大同南 314, *乌兰察布 430, *呼和浩特东 560
st: *石家庄 0, 阳泉北 114, 榆次 176, *太原南 190
stc: *石家庄 0, 井陉 50, *阳泉 118, 寿阳 170, 榆次 211, *太原 231
jiaoji: *济南 0, 章丘 40, *淄博 110, 青州市 150, *潍坊 183, 高密 262, 胶州 303, *青岛北 376,
    *青岛 393
hr: *南京南 0, 全椒 45, 肥东 130, *合肥南 165, 六安 238, 金寨 300, 麻城北 380, 红安西 413,
    *汉口 490, 汉川 530, 天门南 590, 潜江 625, *荆州 690, 枝江北 740, *宜昌东 782, *恩施 1004,
    利川 1078, *万州北 1170, 垫江 1260, 长寿北 1320, *重庆北 1421, 合川 1480, 潼南 1530,
    *遂宁 1580, 大英东 1620, *成都东 1720
cy: *成都东 0, 简阳南 53, 资阳北 87, *内江北 149, 隆昌北 172, 荣昌北 200, 永川东 236,
    *重庆西 300
nh: *南京南 0, 江宁 20, 溧水 48, 溧阳 98, 宜兴 136, 长兴 178, *湖州 200, 德清 219, *杭州东 256
hb: *蚌埠南 0, 淮南东 62, 水家湖 90, *合肥南 132
hf: *合肥南 0, 巢湖东 65, 无为 104, 铜陵北 150, 泾县 228, 绩溪北 270, *黄山北 310, 婺源 392,
    *上饶 450, 武夷山北 520, *武夷山东 540, 建瓯西 620, *福州 806
yh: *广州 0, 佛山 21, *肇庆 104, 云浮东 155, 茂名 366, *湛江西 470, 徐闻 630, *海口 700
hainan: *海口 0, *海口东 12, 美兰 36, 文昌 85, 琼海 140, 博鳌 160, 万宁 195, 陵水 258,
    亚龙湾 300, *三亚 318
gz: *广州南 0, 顺德 18, 小榄 42, *中山 57, *珠海 116
"""

# Pinyin initial of every character used in a station name; a station's code is the initials
# of its name, so 北京西 is BJX and 上海虹桥 SHHQ. Polyphones take their reading in the names
# below (长沙 C, 重庆 C, 厦门 X, 六安 L, 蚌埠 B, 朝阳 C); the few names that read a character
# otherwise are overridden.
INITIALS_TEXT = """
阿A 安A 鞍A 鳌A
八B 霸B 包B 宝B 保B 堡B 北B 碑B 蚌B 亳B 博B 埠B 壁B 布B 帮B 鲅B 波B 滨B
苍C 昌C 长C 常C 巢C 朝C 郴C 承C 城C 成C 池C 赤C 川C 春C 次C 柴C 察C 滁C 潮C 澄C 重C 沧C
大D 丹D 达D 道D 德D 底D 店D 垫D 定D 东D 都D 砀D 岛D 戴D 鼎D 郸D
恩E 尔E
丰F 坊F 房F 奉F 佛F 扶F 封F 浮F 肥F 福F 富F 阜F
感G 高G 公G 沟G 沽G 关G 广G 巩G 贵G 国G 港G 莞G 赣G
哈H 海H 邯H 汉H 杭H 浩H 合H 和H 河H 菏H 鹤H 衡H 横H 红H 呼H 湖H 葫H 虎H 虹H 花H 华H 化H
  怀H 淮H 潢H 黄H 皇H 惠H 鄠H
吉J 集J 济J 嘉J 家J 建J 简J 江J 椒J 胶J 金J 津J 锦J 晋J 进J 荆J 京J 井J 靖J 九J 军J 绩J
  泾J 暨J 鸡J
开K 凯K 考K 口K 昆K
来L 兰L 廊L 冷L 溧L 里L 醴L 利L 力L 连L 辽L 林L 临L 灵L 凌L 陵L 岭L 六L 龙L 隆L 陇L
  娄L 芦L 陆L 略L 罗L 洛L 漯L 滦L 梁L 粮L 聊L 耒L 榄L 拉L
麻M 马M 梅M 美M 门M 密M 民M 明M 名M 牡M 木M 汨M 茂M 绵M 渑M
南N 内N 宁N
瓯O
盘P 平P 坪P 屏P 萍P 莆P 浦P 普P
岐Q 齐Q 戚Q 潜Q 强Q 桥Q 秦Q 青Q 清Q 庆Q 琼Q 曲Q 衢Q 全Q 泉Q 权Q 区Q 圈Q 蕲Q 丘Q
仁R 任R 荣R 柔R 瑞R 饶R
萨S 三S 沙S 山S 汕S 商S 上S 尚S 韶S 邵S 绍S 善S 沈S 深S 施S 石S 市S 寿S 树S 双S 水S 顺S
  四S 松S 嵩S 苏S 宿S 遂S 绥S 穗S 墅S
台T 太T 泰T 唐T 塘T 特T 滕T 天T 田T 铁T 亭T 通T 同T 桐T 铜T 潼T 头T 潭T
瓦W 湾W 万W 为W 渭W 潍W 温W 文W 闻W 乌W 无W 武W 婺W 尾W
西X 厦X 霞X 下X 仙X 咸X 县X 乡X 湘X 向X 萧X 小X 孝X 新X 信X 兴X 邢X 修X 徐X 许X 宣X 陉X
  峡X 翔X 溪X 锡X 贤X
亚Y 阳Y 杨Y 姚Y 亦Y 弋Y 邑Y 义Y 宜Y 营Y 鹰Y 永Y 油Y 游Y 余Y 鱼Y 榆Y 禹Y 玉Y 元Y 园Y 原Y 乐Y
  夷Y 源Y 远Y 岳Y 云Y 郓Y 于Y 沂Y 英Y 兖Y 堰Y
枣Z 湛Z 张Z 章Z 樟Z 漳Z 肇Z 镇Z 郑Z 志Z 枝Z 芷Z 中Z 州Z 洲Z 珠Z 株Z 诸Z 驻Z 涿Z 卓Z 资Z
  淄Z 子Z 诏Z 庄Z 主Z 寨Z 泽Z 圳Z
"""

# Codes where a character's reading in the name differs from the table.
CODE_OVERRIDES = {"于家堡": "YJP", "柴沟堡": "CGP"}

# ---------------------------------------------------------------------------------------------
# Train profiles: cruising speed (km/h), minutes lost per start and stop, dwell ranges in
# minutes at major and at other stations.

PROFILES = {
    "G": dict(speed=300, overhead=6, major=(2, 4), minor=(2, 2)),   # 300 km/h lines
    "GL": dict(speed=240, overhead=6, major=(2, 4), minor=(2, 2)),  # 250 km/h lines
    "D": dict(speed=215, overhead=5, major=(2, 4), minor=(1, 2)),
    "DC": dict(speed=160, overhead=4, major=(2, 3), minor=(1, 2)),  # 动车 on 200 km/h lines
    "DW": dict(speed=125, overhead=8, major=(3, 8), minor=(2, 3)),  # overnight sleeper 动车
    "C": dict(speed=260, overhead=3, major=(1, 2), minor=(1, 1)),
    "Z": dict(speed=122, overhead=8, major=(5, 12), minor=(3, 5)),
    "T": dict(speed=105, overhead=7, major=(5, 14), minor=(3, 6)),
    "K": dict(speed=86, overhead=6, major=(8, 20), minor=(2, 6)),
    "P": dict(speed=72, overhead=5, major=(6, 18), minor=(2, 5)),  # 普快
    "L": dict(speed=55, overhead=3, major=(2, 6), minor=(1, 3)),  # 普客, local
}

# Running rules: line 0 daily, line 1 every other day from valid_from, line 2 the days between.
RULES = [(1, 1), (2, 1), (2, 2)]
DAILY, ODD_DAYS, EVEN_DAYS = 0, 1, 2

# Validity windows. The sample belongs to the timetable of December 2026: the usual windows
# include 2026-12-08, the new and spring-rush windows lie ahead of it, the summer-only and
# withdrawn windows behind it, so that every running status turns up.
V_2026_SUMMER = (20260701, 20271231)
V_2026_AUTUMN = (20261011, 20271010)
V_2026_SPRING = (20260410, 20270630)
V_NEW = (20270120, 20271231)          # new service, not yet valid
V_SPRING_RUSH = (20270115, 20270225)  # 春运 extra trains, not yet valid
V_SUMMER_ONLY = (20260701, 20260831)  # seasonal, expired
V_WITHDRAWN = (20260410, 20261130)    # withdrawn at the timetable change, expired
USUAL_WINDOWS = [V_2026_SUMMER, V_2026_AUTUMN, V_2026_SPRING]

ADS = [
    ("天气预报", "http://m.zelvan.cn/mp/dl/weather"),
    ("掌上地图", "http://m.zelvan.cn/mp/dl/map"),
    ("列车正晚点", "http://m.zelvan.cn/mp/dl/delay"),
]
AD_PREFIX = "http://m.zelvan.cn/mp"  # the product's mobile site, 21 characters

VERSION = "2026.12.01"


# ---------------------------------------------------------------------------------------------
# Deterministic pseudo-random numbers (xorshift32 seeded from the train number), so that the
# output does not depend on Python's random module or hash seed.


class Rng:
    def __init__(self, text):
        self.state = (zlib.crc32(text.encode("ascii")) or 0x9E3779B9) & 0xFFFFFFFF

    def next(self):
        x = self.state
        x ^= (x << 13) & 0xFFFFFFFF
        x ^= x >> 17
        x ^= (x << 5) & 0xFFFFFFFF
        self.state = x & 0xFFFFFFFF
        return self.state

    def chance(self, p):
        return self.next() % 1000 < int(p * 1000)

    def between(self, lo, hi):
        return lo + self.next() % (hi - lo + 1)


# ---------------------------------------------------------------------------------------------
# Line data


def parse_lines(text):
    lines = {}
    order = []  # station names in order of first appearance
    majors = set()
    current = None
    body = {}
    for raw in text.strip().splitlines():
        if not raw.startswith(" "):
            ident, rest = raw.split(":", 1)
            current = ident.strip()
            body[current] = rest
        else:
            body[current] += " " + raw
    for ident, rest in body.items():
        stations = []
        for item in rest.split(","):
            item = item.strip()
            if not item:
                continue
            name, km = item.rsplit(" ", 1)
            name = name.strip()
            if name.startswith("*"):
                name = name[1:]
                majors.add(name)
            stations.append((name, int(km)))
            if name not in order:
                order.append(name)
        for (a, ka), (b, kb) in zip(stations, stations[1:]):
            if kb <= ka:
                raise SystemExit(f"line {ident}: {b} ({kb}) not after {a} ({ka})")
        names = [n for n, _ in stations]
        if len(set(names)) != len(names):
            raise SystemExit(f"line {ident}: a station appears twice")
        lines[ident] = stations
    return lines, order, majors


LINES, STATION_ORDER, MAJORS = parse_lines(LINES_TEXT)


def parse_initials(text):
    table = {}
    for token in text.split():
        char, letter = token[0], token[1:]
        if len(token) != 2 or not ("A" <= letter <= "Z"):
            raise SystemExit(f"bad initials entry {token!r}")
        if table.get(char, letter) != letter:
            raise SystemExit(f"initials: {char} given as {table[char]} and {letter}")
        table[char] = letter
    return table


INITIALS = parse_initials(INITIALS_TEXT)


def station_code(name):
    if name in CODE_OVERRIDES:
        return CODE_OVERRIDES[name]
    missing = [c for c in name if c not in INITIALS]
    if missing:
        raise SystemExit(f"no pinyin initial for {''.join(missing)} in {name}")
    return "".join(INITIALS[c] for c in name)


def route(*segments):
    """Stations and km along segments (line, from, to); each segment may run either way."""
    result = []
    for line_id, start, end in segments:
        stations = LINES[line_id]
        names = [n for n, _ in stations]
        if start not in names or end not in names:
            raise SystemExit(f"route: {start} or {end} not on line {line_id}")
        i, j = names.index(start), names.index(end)
        if i < j:
            part = [(n, k - stations[i][1]) for n, k in stations[i : j + 1]]
        else:
            part = [(n, stations[i][1] - k) for n, k in reversed(stations[j : i + 1])]
        if result:
            if result[-1][0] != part[0][0]:
                raise SystemExit(f"route: {line_id} starts at {part[0][0]}, not {result[-1][0]}")
            offset = result[-1][1]
            result.extend((n, k + offset) for n, k in part[1:])
        else:
            result.extend(part)
    return result


def reverse_route(stations):
    total = stations[-1][1]
    return [(n, total - k) for n, k in reversed(stations)]


# ---------------------------------------------------------------------------------------------
# Services


class Train:
    def __init__(self, name, kind, factor, valid, rule, stops):
        self.name = name
        self.kind = kind
        self.factor = factor
        self.valid = valid
        self.rule = rule
        self.stops = stops  # (station, minute of the day reached from the start, dwell, km)


TRAINS = []


def pick_stops(name, stations, pattern):
    """The stations of the route that the train calls at; origin and terminus always."""
    rng = Rng(name + "/stops")
    first, last = stations[0], stations[-1]
    inner = stations[1:-1]
    if isinstance(pattern, (list, tuple)):
        wanted = set(pattern)
        unknown = wanted - {n for n, _ in inner}
        if unknown:
            raise SystemExit(f"{name}: stops {sorted(unknown)} not on the route")
        chosen = [s for s in inner if s[0] in wanted]
    else:
        probability = {
            "all": (1.0, 1.0),
            "major": (1.0, 0.0),
            "express": (0.35, 0.0),
            "semi": (0.8, 0.15),
            "mixed": (0.9, 0.4),
            "most": (1.0, 0.7),
        }[pattern]
        chosen = []
        for station in inner:
            p = probability[0] if station[0] in MAJORS else probability[1]
            if rng.chance(p):
                chosen.append(station)
    return [first] + chosen + [last]


def usual_window(name):
    """One of the usual validity windows, chosen by the train number (the return train of a
    pair takes the window of its outward train)."""
    return USUAL_WINDOWS[Rng(name + "/valid").next() % len(USUAL_WINDOWS)]


def add_train(name, profile, kind, stations, departure, pattern="mixed", factor=0, rule=DAILY,
              valid=None):
    """One train along `stations` leaving its origin at `departure` ("HH:MM")."""
    prof = PROFILES[profile]
    rng = Rng(name)
    valid = valid or usual_window(name)
    calls = pick_stops(name, stations, pattern)
    hour, minute = map(int, departure.split(":"))
    clock = hour * 60 + minute
    stops = [(calls[0][0], clock, 0, 0)]
    for index, ((prev, prev_km), (station, km)) in enumerate(zip(calls, calls[1:]), start=1):
        run = (km - prev_km) / prof["speed"] * 60 + prof["overhead"]
        clock = stops[-1][1] + stops[-1][2] + max(1, round(run))
        if index == len(calls) - 1:
            dwell = 0
        else:
            lo, hi = prof["major"] if station in MAJORS else prof["minor"]
            dwell = rng.between(lo, hi)
        stops.append((station, clock, dwell, km))
    TRAINS.append(Train(name, kind, factor, valid, rule, stops))


def spread(first, last, count):
    """`count` departure times spread evenly from `first` to `last`, on whole minutes."""
    h0, m0 = map(int, first.split(":"))
    h1, m1 = map(int, last.split(":"))
    a, b = h0 * 60 + m0, h1 * 60 + m1
    if count == 1:
        return [first]
    times = []
    for i in range(count):
        t = a + (b - a) * i // (count - 1)
        if i % 3:
            t -= t % 5  # most on a five-minute mark, every third on the odd minute
        times.append(f"{t // 60 % 24:02d}:{t % 60:02d}")
    return times


def fleet(prefix, first_number, count, segments, first, last, profile, kind, pattern="mixed",
          step=2, up=True, factor=0, rule=DAILY, valid=None, up_first=None, up_last=None,
          up_pattern=None):
    """`count` trains each way: odd numbers from `first_number` down the route, the even
    number above each for the return."""
    stations = route(*segments)
    names = [f"{prefix}{first_number + step * i}" for i in range(count)]
    windows = [valid or usual_window(name) for name in names]
    for name, t, window in zip(names, spread(first, last, count), windows):
        add_train(name, profile, kind, stations, t, pattern, factor, rule, window)
    if up:
        back = reverse_route(stations)
        times = spread(up_first or first, up_last or last, count)
        for i, (t, window) in enumerate(zip(times, windows)):
            add_train(f"{prefix}{first_number + 1 + step * i}", profile, kind, back, t,
                      up_pattern or pattern, factor, rule, window)


def pair(down, up, segments, down_time, up_time, profile, kind, pattern="major", factor=0,
         rule=DAILY, up_rule=None, valid=None):
    """One train each way: `down` along the segments, `up` back."""
    stations = route(*segments)
    valid = valid or usual_window(down)
    add_train(down, profile, kind, stations, down_time, pattern, factor, rule, valid)
    if up:
        add_train(up, profile, kind, reverse_route(stations), up_time, pattern, factor,
                  rule if up_rule is None else up_rule, valid)


# Kind codes: class in the high bits (0 new-type air-conditioned, 1 new-type, 2 air-conditioned,
# 3 neither), kind in the low 4 bits (0 single express, 1 double express, 2 none, 3-5 special
# per-km tariffs, 6 high-speed tariff).
HIGH_SPEED = 0x06
EMU_SEATS = 0x04       # 动车 second/first class seats
EMU_SLEEPER = 0x03     # 动卧: soft sleepers and seats
EMU_MIXED = 0x05       # 动车 with seats and sleepers
NEW_AC_DOUBLE = 0x01   # 新空调 Z/T
AC_DOUBLE = 0x21       # 空调 T
NEW_AC_SINGLE = 0x00   # 新空调 K
AC_SINGLE = 0x20       # 空调 K / 空调普快
PLAIN_SINGLE = 0x30    # 普快
AC_LOCAL = 0x22        # 空调普客
PLAIN_LOCAL = 0x32     # 普客


def build_services():
    # --- 京沪高铁 -------------------------------------------------------------------------
    jhgt = [("jhgt", "北京南", "上海虹桥")]
    fleet("G", 1, 11, jhgt, "07:00", "19:00", "G", HIGH_SPEED, "express")
    fleet("G", 101, 22, jhgt, "06:20", "17:50", "G", HIGH_SPEED, "mixed")
    fleet("G", 151, 2, jhgt, "07:45", "12:30", "G", HIGH_SPEED, "all")
    fleet("G", 41, 4, [("jhgt", "北京南", "昆山南"), ("hn", "昆山南", "上海")], "08:05",
          "16:20", "G", HIGH_SPEED, "semi")
    fleet("G", 161, 4, [("jt_tjx", "北京南", "沧州西"), ("jhgt", "沧州西", "上海虹桥")],
          "06:55", "15:40", "G", HIGH_SPEED, "mixed")
    fleet("G", 201, 5,
          [("jt_tjx", "北京南", "沧州西"), ("jhgt", "沧州西", "济南西"), ("jnx", "济南西", "济南"),
           ("jiaoji", "济南", "青岛")], "06:40", "18:10", "G", HIGH_SPEED, "mixed")
    fleet("G", 221, 4, [("jhgt", "北京南", "济南西")], "07:10", "20:10", "G", HIGH_SPEED, "all")
    fleet("G", 261, 3, [("jhgt", "北京南", "南京南"), ("hr", "南京南", "合肥南")], "07:35",
          "16:05", "G", HIGH_SPEED, "mixed")
    fleet("G", 321, 3, [("jhgt", "北京南", "蚌埠南"), ("hb", "蚌埠南", "合肥南"),
                        ("hf", "合肥南", "福州")], "07:20", "13:30", "G", HIGH_SPEED, "mixed")
    fleet("G", 31, 5, [("jhgt", "北京南", "南京南"), ("nh", "南京南", "杭州东")], "07:15",
          "15:45", "G", HIGH_SPEED, "mixed")
    pair("G55", "G56", [("jhgt", "北京南", "南京南"), ("nh", "南京南", "杭州东"),
                        ("hsgt", "杭州东", "宁波东")], "09:25", "08:10", "G", HIGH_SPEED, "mixed")
    pair("G57", "G58", [("jhgt", "北京南", "南京南"), ("nh", "南京南", "杭州东"),
                        ("hsgt", "杭州东", "温州南")], "08:50", "09:05", "G", HIGH_SPEED, "semi")
    fleet("G", 7101, 3, [("jhgt", "徐州东", "上海虹桥")], "07:12", "17:30", "GL", HIGH_SPEED,
          "all")

    # --- 京津城际 -------------------------------------------------------------------------
    fleet("C", 2001, 15, [("jcj", "北京南", "天津")], "06:00", "22:30", "C", HIGH_SPEED,
          "express")
    fleet("C", 2201, 5, [("jcj", "北京南", "于家堡")], "06:35", "19:20", "C", HIGH_SPEED, "all")

    # --- 沪宁城际 -------------------------------------------------------------------------
    fleet("G", 7001, 10, [("hn", "上海", "南京")], "06:05", "21:00", "GL", HIGH_SPEED, "semi")
    fleet("D", 5401, 5, [("hn", "上海", "南京")], "06:30", "19:40", "D", EMU_SEATS, "all")

    # --- 京广高铁 and branches ------------------------------------------------------------
    jggt_gz = [("jggt", "北京西", "广州南")]
    fleet("G", 61, 5, jggt_gz, "07:00", "14:00", "G", HIGH_SPEED, "semi")
    fleet("G", 71, 4, [("jggt", "北京西", "深圳北")], "07:50", "13:15", "G", HIGH_SPEED, "mixed")
    pair("G79", "G80", [("jggt", "北京西", "福田")], "10:00", "10:05", "G", HIGH_SPEED, "express")
    fleet("G", 501, 10, [("jggt", "北京西", "武汉")], "06:50", "19:30", "G", HIGH_SPEED, "mixed")
    fleet("G", 521, 2, [("jggt", "北京西", "郑州东")], "08:20", "18:40", "G", HIGH_SPEED, "all")
    fleet("G", 601, 5, [("jggt", "北京西", "石家庄"), ("st", "石家庄", "太原南")], "07:30",
          "19:10", "G", HIGH_SPEED, "semi")
    fleet("G", 651, 5, [("jggt", "北京西", "郑州东"), ("xlgt", "郑州东", "西安北")], "07:05",
          "17:45", "G", HIGH_SPEED, "semi")
    fleet("G", 87, 2, [("jggt", "北京西", "郑州东"), ("xlgt", "郑州东", "西安北"),
                       ("xc", "西安北", "成都东")], "08:10", "13:55", "G", HIGH_SPEED, "semi")
    fleet("G", 1001, 6, [("jggt", "武汉", "广州南")], "07:00", "18:00", "G", HIGH_SPEED, "mixed")
    fleet("G", 1021, 2, [("jggt", "武汉", "深圳北")], "07:40", "15:20", "G", HIGH_SPEED, "all")
    fleet("G", 6001, 6, [("jggt", "长沙南", "广州南")], "06:45", "20:15", "G", HIGH_SPEED, "semi")
    fleet("G", 6101, 3, [("jggt", "广州南", "深圳北")], "07:00", "21:30", "G", HIGH_SPEED, "all",
          up=False)
    fleet("G", 6102, 3, [("jggt", "深圳北", "广州南")], "06:40", "21:10", "G", HIGH_SPEED, "all",
          up=False)
    fleet("G", 801, 4, [("xlgt", "郑州东", "西安北")], "07:25", "19:05", "G", HIGH_SPEED, "all")
    fleet("G", 821, 3, [("xlgt", "徐州东", "郑州东")], "07:55", "18:20", "G", HIGH_SPEED, "all")
    fleet("D", 2651, 3, [("xlgt", "西安北", "兰州西")], "07:40", "16:30", "D", EMU_SEATS, "all")
    fleet("D", 1901, 2, [("xc", "西安北", "成都东")], "08:05", "14:20", "D", EMU_SEATS, "all")

    # --- 沪昆高铁 -------------------------------------------------------------------------
    fleet("G", 1371, 2, [("hkgt", "上海虹桥", "昆明南")], "06:45", "08:30", "G", HIGH_SPEED,
          "semi")
    fleet("G", 1321, 6, [("hkgt", "上海虹桥", "长沙南")], "07:10", "16:40", "G", HIGH_SPEED,
          "mixed")
    fleet("G", 7301, 10, [("hkgt", "上海虹桥", "杭州东")], "06:15", "21:40", "G", HIGH_SPEED,
          "semi")
    fleet("G", 1501, 4, [("hkgt", "杭州东", "南昌西")], "07:05", "17:35", "G", HIGH_SPEED, "all")
    fleet("G", 1401, 2, [("hkgt", "长沙南", "昆明南")], "07:30", "12:10", "G", HIGH_SPEED, "all")
    fleet("D", 3701, 2, [("hkgt", "长沙南", "贵阳北")], "08:15", "15:05", "D", EMU_SEATS, "all")

    # --- 杭深 and 厦门 --------------------------------------------------------------------
    fleet("D", 3101, 4, [("hkgt", "上海虹桥", "杭州东"), ("hsgt", "杭州东", "福州南")], "06:50",
          "15:10", "GL", EMU_SEATS, "mixed")
    fleet("G", 1601, 4, [("hkgt", "上海虹桥", "杭州东"), ("hsgt", "杭州东", "厦门北")], "07:05",
          "13:40", "GL", HIGH_SPEED, "semi")
    pair("D3111", "D3112", [("hkgt", "上海虹桥", "杭州东"), ("hsgt", "杭州东", "厦门北"),
                            ("xm", "厦门北", "厦门")], "08:35", "08:20", "GL", EMU_SEATS, "semi")
    fleet("D", 2281, 2, [("hsgt", "杭州东", "深圳北")], "07:20", "10:45", "GL", EMU_SEATS,
          "semi")
    fleet("D", 5581, 4, [("hsgt", "宁波东", "温州南")], "06:35", "19:25", "DC", EMU_SEATS, "all")
    fleet("D", 6201, 4, [("hsgt", "福州", "厦门北"), ("xm", "厦门北", "厦门")], "06:55", "20:05",
          "DC", EMU_SEATS, "all")
    fleet("D", 2311, 3, [("hsgt", "厦门北", "深圳北")], "07:30", "17:10", "GL", EMU_SEATS, "all")
    fleet("D", 3201, 2, [("hsgt", "杭州东", "福州")], "06:40", "12:50", "GL", EMU_SEATS, "all")

    # --- 沪汉蓉, 宁杭, 合福, 成渝 ------------------------------------------------------------
    pair("D351", "D352", [("jhgt", "上海虹桥", "南京南"), ("hr", "南京南", "成都东")], "07:55",
         "07:40", "GL", EMU_MIXED, "semi")
    pair("D353", "D354", [("jhgt", "上海虹桥", "南京南"), ("hr", "南京南", "成都东")], "10:20",
         "09:35", "GL", EMU_MIXED, "semi")
    pair("G1971", "G1972", [("jhgt", "上海虹桥", "南京南"), ("hr", "南京南", "重庆北")],
         "08:40", "09:10", "GL", HIGH_SPEED, "semi")
    fleet("D", 3001, 4, [("hr", "南京南", "汉口")], "06:55", "18:25", "GL", EMU_SEATS, "mixed")
    fleet("D", 3021, 2, [("hr", "南京南", "汉口")], "09:10", "15:45", "GL", EMU_SEATS, "all")
    fleet("D", 5701, 3, [("hr", "汉口", "宜昌东")], "07:15", "18:40", "GL", EMU_SEATS, "all")
    fleet("D", 5801, 2, [("hr", "宜昌东", "成都东")], "07:50", "13:20", "GL", EMU_SEATS, "all")
    fleet("G", 7601, 5, [("nh", "南京南", "杭州东")], "06:50", "20:30", "GL", HIGH_SPEED, "most")
    fleet("G", 1631, 3, [("hf", "合肥南", "福州")], "07:35", "15:05", "G", HIGH_SPEED, "semi")
    fleet("D", 3281, 2, [("hb", "蚌埠南", "合肥南"), ("hf", "合肥南", "福州")], "07:15", "11:30",
          "GL", EMU_SEATS, "all")
    fleet("G", 8501, 5, [("cy", "成都东", "重庆西")], "06:50", "20:40", "G", HIGH_SPEED, "semi")
    fleet("D", 8521, 2, [("cy", "成都东", "重庆西")], "08:25", "17:15", "D", EMU_SEATS, "all")

    # --- 京哈高铁, 哈大, 京张 --------------------------------------------------------------
    fleet("G", 901, 3, [("hdgt", "北京朝阳", "哈尔滨西")], "07:20", "13:40", "G", HIGH_SPEED,
          "semi")
    fleet("G", 381, 4, [("hdgt", "北京朝阳", "沈阳")], "06:50", "17:25", "G", HIGH_SPEED, "mixed")
    fleet("G", 391, 2, [("hdgt", "北京朝阳", "沈阳北")], "09:45", "15:10", "G", HIGH_SPEED, "all")
    fleet("G", 8001, 5, [("hdgt2", "沈阳北", "大连北")], "06:40", "19:50", "G", HIGH_SPEED,
          "mixed")
    fleet("D", 8041, 2, [("hdgt2", "沈阳北", "大连北")], "08:05", "16:35", "D", EMU_SEATS, "all")
    fleet("D", 8081, 3, [("hdgt", "沈阳北", "哈尔滨西")], "07:35", "17:55", "D", EMU_SEATS, "all")
    fleet("G", 2501, 5, [("jzgt", "北京北", "张家口")], "06:55", "20:20", "G", HIGH_SPEED, "mixed")
    fleet("G", 2481, 2, [("jzgt", "北京北", "大同南")], "08:30", "16:10", "G", HIGH_SPEED, "all")
    fleet("G", 2431, 2, [("jzgt", "北京北", "呼和浩特东")], "07:40", "14:15", "GL", HIGH_SPEED,
          "semi")

    # --- regional 动车 and 城际 -------------------------------------------------------------
    fleet("D", 7301, 8, [("hainan", "海口", "三亚")], "06:45", "20:30", "DC", EMU_SEATS, "mixed")
    fleet("D", 7321, 2, [("hainan", "海口", "三亚")], "09:20", "15:10", "DC", EMU_SEATS, "all")
    fleet("C", 7601, 6, [("gz", "广州南", "珠海")], "06:30", "21:15", "C", EMU_SEATS, "all")
    fleet("D", 7101, 8, [("gs", "广州东", "深圳")], "06:25", "21:50", "DC", EMU_SEATS, "mixed")
    fleet("D", 7121, 2, [("gs", "广州", "深圳")], "07:55", "18:05", "DC", EMU_SEATS, "all")

    # --- conventional: 北京 - 上海 ------------------------------------------------------------
    jh = [("jh", "北京", "上海")]
    pair("Z281", "Z282", jh, "19:10", "19:24", "Z", NEW_AC_DOUBLE,
         ["天津", "济南", "南京"], factor=5)
    pair("Z283", "Z284", jh, "21:16", "21:05", "Z", NEW_AC_DOUBLE, ["济南", "徐州"], factor=5)
    pair("T109", "T110", jh, "20:05", "18:03", "T", NEW_AC_DOUBLE, "major")
    pair("T103", "T104", jh, "15:38", "16:48", "T", AC_DOUBLE,
         ["天津", "德州", "济南", "兖州", "徐州", "蚌埠", "南京", "常州", "无锡", "苏州"])
    for i, (down, up) in enumerate([("D701", "D702"), ("D705", "D706"), ("D709", "D710"),
                                    ("D711", "D712"), ("D715", "D716"), ("D717", "D718")]):
        dep = ["19:22", "19:36", "20:12", "20:28", "21:23", "21:35"][i]
        ret = ["19:30", "19:42", "20:05", "20:34", "21:11", "21:42"][i]
        stops = [["南京"], ["济南", "南京"], ["苏州"], ["天津", "南京"], ["徐州"], []][i]
        pair(down, up, jh, dep, ret, "DW", EMU_SLEEPER, stops)
    pair("1461", "1462", jh, "11:54", "11:04", "P", AC_SINGLE, "all")

    # --- conventional: 京广, 京九 ------------------------------------------------------------
    jg = [("jg", "北京西", "广州")]
    pair("Z35", "Z36", jg, "20:07", "19:46", "Z", NEW_AC_DOUBLE, ["石家庄", "郑州", "武昌", "长沙"],
         factor=5)
    pair("T15", "T16", jg, "11:06", "18:20", "T", NEW_AC_DOUBLE, "major")
    pair("K599", "K600", jg, "08:32", "13:41", "K", NEW_AC_SINGLE, "mixed")
    pair("K105", "K106", [("jg", "北京西", "广州"), ("gs", "广州", "深圳")], "23:35", "11:30",
         "K", AC_SINGLE, "mixed")
    pair("Z11", "Z12", [("jg", "北京西", "汉口")], "21:32", "21:08", "Z", NEW_AC_DOUBLE,
         ["石家庄", "郑州"], factor=3)
    pair("Z37", "Z38", [("jg", "北京西", "武昌")], "21:00", "20:48", "Z", NEW_AC_DOUBLE,
         ["郑州"], factor=5)
    pair("T1", "T2", [("jg", "北京西", "长沙")], "16:08", "15:55", "T", NEW_AC_DOUBLE, "major")
    pair("Z17", "Z18", [("jg", "北京西", "长沙")], "19:33", "18:31", "Z", NEW_AC_DOUBLE,
         ["武昌"], factor=5)
    pair("2071", "2072", [("jg", "北京西", "郑州")], "07:24", "08:15", "P", PLAIN_SINGLE, "all")
    pair("2089", "2090", [("jg", "郑州", "武昌")], "09:40", "07:52", "P", AC_SINGLE, "all")
    pair("K9061", "K9062", [("jg", "武昌", "广州")], "17:26", "16:44", "K", AC_SINGLE, "all")
    pair("Z201", "Z202", [("jg", "北京西", "广州"), ("yh", "广州", "海口"),
                          ("hainan", "海口", "三亚")], "20:15", "09:35", "Z", NEW_AC_DOUBLE,
         ["石家庄", "郑州", "武昌", "长沙", "衡阳", "广州", "茂名", "湛江西", "海口", "海口东", "琼海",
          "万宁"], factor=5, rule=ODD_DAYS, up_rule=EVEN_DAYS)
    pair("K511", "K512", [("yh", "广州", "海口"), ("hainan", "海口", "三亚")], "18:10", "12:25",
         "K", AC_SINGLE, "all", rule=EVEN_DAYS, up_rule=ODD_DAYS)
    jj = [("jj", "北京西", "深圳")]
    pair("T107", "T108", jj, "20:29", "12:40", "T", NEW_AC_DOUBLE, "major", factor=3)
    pair("Z67", "Z68", [("jj", "北京西", "南昌")], "18:42", "19:03", "Z", NEW_AC_DOUBLE,
         ["衡水", "商丘", "阜阳", "九江"], factor=5)
    pair("K571", "K572", [("jj", "北京西", "赣州")], "13:30", "16:12", "K", NEW_AC_SINGLE, "all",
         factor=2)
    pair("1451", "1452", [("jj", "北京西", "九江")], "06:58", "17:40", "P", PLAIN_SINGLE, "most")

    # --- conventional: 东北 ------------------------------------------------------------------
    jhc = [("jhc", "北京", "哈尔滨")]
    pair("Z15", "Z16", jhc, "21:20", "20:32", "Z", NEW_AC_DOUBLE, ["沈阳北", "长春"], factor=5)
    pair("T17", "T18", jhc, "16:50", "16:26", "T", NEW_AC_DOUBLE, "major")
    pair("Z61", "Z62", [("jhc", "北京", "长春")], "20:56", "20:15", "Z", NEW_AC_DOUBLE,
         ["沈阳北"], factor=5)
    pair("K39", "K40", [("jsh", "北京", "山海关"), ("jhc", "山海关", "哈尔滨")], "10:55",
         "14:10", "K", AC_SINGLE, "all")
    pair("K53", "K54", [("jsh", "北京", "山海关"), ("jhc", "山海关", "沈阳北")], "22:47",
         "21:40", "K", NEW_AC_SINGLE, "mixed", factor=2)
    pair("2251", "2252", [("jsh", "北京", "山海关")], "08:28", "13:05", "P", PLAIN_SINGLE, "all")
    pair("Y501", "Y502", [("jsh", "北京", "北戴河")], "07:10", "16:45", "K", AC_SINGLE,
         ["天津", "唐山"], valid=V_SUMMER_ONLY)
    pair("K751", "K752", [("shd", "沈阳北", "大连")], "07:40", "13:25", "K", AC_SINGLE, "all")
    pair("K7353", "K7354", [("shd", "沈阳北", "大连")], "15:05", "06:50", "K", AC_SINGLE,
         "major")
    pair("K7121", "K7122", [("bs", "哈尔滨", "牡丹江")], "08:15", "14:30", "K", AC_SINGLE, "all")
    pair("6241", "6242", [("bs", "哈尔滨", "牡丹江")], "06:40", "07:05", "L", PLAIN_LOCAL, "all")

    # --- conventional: 陇海, 西南 ------------------------------------------------------------
    pair("Z19", "Z20", [("jg", "北京西", "郑州"), ("lh", "郑州", "西安")], "20:41", "20:47",
         "Z", NEW_AC_DOUBLE, [], factor=5)
    pair("T7", "T8", [("jg", "北京西", "郑州"), ("lh", "郑州", "宝鸡"), ("bc", "宝鸡", "成都")],
         "18:00", "18:55", "T", NEW_AC_DOUBLE, "major")
    pair("K117", "K118", [("jg", "北京西", "郑州"), ("lh", "郑州", "宝鸡"), ("bc", "宝鸡", "成都")],
         "09:04", "10:18", "K", AC_SINGLE, "mixed")
    pair("T75", "T76", [("jg", "北京西", "郑州"), ("lh", "郑州", "兰州")], "17:25", "15:30",
         "T", NEW_AC_DOUBLE, "major", rule=ODD_DAYS, up_rule=EVEN_DAYS)
    pair("K1332/K1333", "K1334/K1331", [("jh", "上海", "徐州"), ("lh", "徐州", "兰州")],
         "13:12", "14:36", "K", AC_SINGLE, "mixed", rule=ODD_DAYS, up_rule=EVEN_DAYS)
    pair("T116/T117", "T118/T115", [("jh", "上海", "徐州"), ("lh", "徐州", "西安")], "17:50",
         "18:28", "T", NEW_AC_DOUBLE, "major")
    pair("1147", "1148", [("lh", "连云港", "西安")], "09:30", "12:05", "P", AC_SINGLE, "all")
    pair("K1351", "K1352", [("lh", "西安", "兰州")], "08:48", "09:30", "K", AC_SINGLE, "all")
    pair("K1355", "K1356", [("bc", "宝鸡", "成都")], "07:50", "08:26", "K", NEW_AC_SINGLE, "all")
    pair("6063", "6064", [("lh", "郑州", "西安")], "06:15", "06:40", "L", PLAIN_LOCAL, "all")

    # --- conventional: 沪昆, 华东 ------------------------------------------------------------
    hk = [("hk", "上海南", "昆明")]
    pair("K79", "K80", hk, "14:24", "11:40", "K", AC_SINGLE, "major", rule=ODD_DAYS,
         up_rule=EVEN_DAYS)
    pair("K739", "K740", [("hk", "上海南", "贵阳")], "16:05", "09:52", "K", NEW_AC_SINGLE,
         "mixed", factor=2)
    pair("T81", "T82", [("sh_sj", "上海", "松江"), ("hk", "松江", "南昌")], "19:50", "20:18",
         "T", AC_DOUBLE, "major")
    pair("K1159", "K1160", [("hk", "上海南", "怀化")], "10:40", "07:16", "K", AC_SINGLE, "all")
    pair("K8301", "K8302", [("hk", "上海南", "衢州")], "07:05", "13:40", "K", AC_SINGLE, "all")
    pair("5101", "5102", [("hk", "株洲", "贵阳")], "08:10", "07:30", "P", AC_SINGLE, "all")
    pair("K9411", "K9412", [("hk", "贵阳", "昆明")], "09:25", "08:55", "K", AC_SINGLE, "all")
    pair("T25", "T26", [("jh", "北京", "济南"), ("jiaoji", "济南", "青岛")], "22:33", "21:09",
         "T", NEW_AC_DOUBLE, ["天津", "德州", "淄博", "潍坊", "青岛北"], factor=3)
    pair("4501", "4502", [("jiaoji", "济南", "青岛")], "07:48", "08:10", "L", PLAIN_LOCAL, "all")
    pair("K1067", "K1068", [("jiaoji", "济南", "青岛")], "12:35", "14:50", "K", AC_SINGLE,
         "major")
    pair("K1561", "K1562", [("jh", "徐州", "上海")], "06:52", "15:30", "K", AC_SINGLE, "all")
    pair("K1185", "K1186", [("jh", "北京", "徐州")], "09:40", "07:20", "K", AC_SINGLE, "all")
    pair("5301", "5302", [("jj", "北京西", "商丘")], "07:32", "06:55", "P", AC_SINGLE, "all")
    pair("K1581", "K1582", [("jj", "商丘", "南昌")], "08:05", "09:45", "K", AC_SINGLE, "all")
    pair("K1081", "K1082", [("jj", "南昌", "深圳")], "10:18", "10:50", "K", AC_SINGLE, "all")

    # --- conventional: 京包, 石太 ------------------------------------------------------------
    jb = [("jb", "北京", "包头")]
    pair("K89", "K90", jb, "22:10", "19:55", "K", AC_SINGLE, "mixed")
    pair("K263", "K264", [("jb", "北京", "呼和浩特")], "10:05", "09:20", "K", NEW_AC_SINGLE,
         "all", factor=2)
    pair("6461", "6462", [("jb", "大同", "呼和浩特")], "06:50", "14:10", "L", AC_LOCAL, "all")
    pair("K601", "K602", [("jg", "北京西", "石家庄"), ("stc", "石家庄", "太原")], "08:20", "09:10",
         "K", AC_SINGLE, "major")
    pair("6813", "6814", [("stc", "石家庄", "太原")], "07:05", "13:30", "L", PLAIN_LOCAL, "all")

    # --- seasonal and new services ----------------------------------------------------------
    pair("L101", "L102", [("jg", "北京西", "长沙")], "14:22", "13:48", "K", AC_DOUBLE, "major",
         valid=V_SPRING_RUSH)
    pair("L181", "L182", [("jh", "上海", "徐州")], "10:12", "20:38", "K", AC_SINGLE, "major",
         valid=V_SPRING_RUSH)
    pair("G1999", "G2000", [("jhgt", "北京南", "上海虹桥")], "18:35", "18:40", "G", HIGH_SPEED,
         "express", valid=V_NEW)
    pair("D3291", "D3292", [("hsgt", "宁波东", "福州南")], "09:30", "14:15", "GL", EMU_SEATS,
         "semi", valid=V_NEW)
    pair("K1227", "K1228", [("jh", "北京", "上海")], "16:32", "17:04", "K", AC_SINGLE, "mixed",
         valid=V_WITHDRAWN)
    pair("K8365", "K8366", [("hk", "杭州", "金华")], "14:10", "16:40", "K", AC_SINGLE, "all",
         valid=V_WITHDRAWN)


# ---------------------------------------------------------------------------------------------
# Output


def stations_in_use():
    used = {s for t in TRAINS for s, *_ in t.stops}
    return [n for n in STATION_ORDER if n in used]


def hhmm(clock):
    clock %= 24 * 60
    return f"{clock // 60:02d}:{clock % 60:02d}"


def render():
    """The sample as {file name: text}."""
    trains = sorted(TRAINS, key=lambda t: t.name)  # code-unit order, as the compiler stores them
    stations = stations_in_use()
    files = {}
    files["stations.tsv"] = "name\ttrains\n" + "".join(f"{n}\t*\n" for n in stations)
    files["trains.tsv"] = "train\tkind\tfactor\tvalid_from\tvalid_until\trule\n" + "".join(
        f"{t.name}\t0x{t.kind:02X}\t{t.factor}\t{t.valid[0]}\t{t.valid[1]}\t{t.rule}\n"
        for t in trains)
    rows = ["train\tstation\tarrival\tdwell\tkm\n"]
    for t in trains:
        for station, clock, dwell, km in t.stops:
            rows.append(f"{t.name}\t{station}\t{hhmm(clock)}\t{dwell}\t{km}\n")
    files["stops.tsv"] = "".join(rows)
    codes = sorted(((station_code(n), n) for n in stations), key=lambda pair: pair[0])
    files["codes.tsv"] = "code\tname\n" + "".join(f"{c}\t{n}\n" for c, n in codes)
    files["rules.txt"] = "".join(f"{p} {m}\n" for p, m in RULES)
    files["ads.tsv"] = "title\tlink\n" + "".join(f"{t}\t{l}\n" for t, l in ADS)
    files["version.txt"] = VERSION + "\n"
    return files


# ---------------------------------------------------------------------------------------------
# Checks of the written form against the limits of the data files and the rules of the source
# format (docs/formats.md). They read the rendered text back, as the compiler will.


def read_tsv(text, columns, file):
    lines = text.split("\n")
    if lines[-1] != "":
        raise ValueError(f"{file}: no line break at the end")
    header = lines[0].split("\t")
    if header != columns:
        raise ValueError(f"{file}:1: header {header}, expected {columns}")
    rows = []
    for number, line in enumerate(lines[1:-1], start=2):
        if not line or line.startswith("#"):
            continue
        fields = line.split("\t")
        if len(fields) != len(columns):
            raise ValueError(f"{file}:{number}: {len(fields)} columns, expected {len(columns)}")
        rows.append((number, fields))
    return rows


def is_date(value):
    if len(value) != 8 or not value.isdigit():
        return False
    y, m, d = int(value[:4]), int(value[4:6]), int(value[6:])
    days = [31, 29 if (y % 4 == 0 and y % 100 != 0) or y % 400 == 0 else 28, 31, 30, 31, 30,
            31, 31, 30, 31, 30, 31]
    return 1900 <= y <= 2099 and 1 <= m <= 12 and 1 <= d <= days[m - 1]


def check(files):
    """Raises ValueError on the first fault; returns counts."""
    stations = read_tsv(files["stations.tsv"], ["name", "trains"], "stations.tsv")
    names = []
    for number, (name, trains) in stations:
        if not name or name.startswith("#"):
            raise ValueError(f"stations.tsv:{number}: bad name {name!r}")
        if trains != "*":
            raise ValueError(f"stations.tsv:{number}: the sample derives every list")
        names.append(name)
    if len(set(names)) != len(names):
        raise ValueError("stations.tsv: a name appears twice")
    if "宁波" in names or "宁波东" not in names:
        raise ValueError("stations.tsv: 宁波 is an alias of 宁波东 and no station of its own")
    if not 150 <= len(names) <= 16383:
        raise ValueError(f"stations.tsv: {len(names)} stations")

    rule_lines = files["rules.txt"].splitlines()
    for number, line in enumerate(rule_lines, start=1):
        parts = line.split()
        if len(parts) != 2 or not all(p.isdigit() for p in parts):
            raise ValueError(f"rules.txt:{number}: expected 'period mask'")
        period, mask = map(int, parts)
        if not 1 <= period <= 31 or not 0 < mask < 2 ** period:
            raise ValueError(f"rules.txt:{number}: period {period}, mask {mask}")

    trains = read_tsv(files["trains.tsv"],
                      ["train", "kind", "factor", "valid_from", "valid_until", "rule"],
                      "trains.tsv")
    train_names = []
    for number, (name, kind, factor, valid_from, valid_until, rule) in trains:
        where = f"trains.tsv:{number}"
        if not name or any(ord(c) > 0xFF or c.isspace() for c in name):
            raise ValueError(f"{where}: train number {name!r} is not single-byte text")
        kind_value = int(kind, 16) if kind.startswith("0x") else int(kind)
        if not 0 <= kind_value <= 127:
            raise ValueError(f"{where}: kind {kind}")
        if not factor.isdigit() or int(factor) > 127:
            raise ValueError(f"{where}: factor {factor}")
        if not is_date(valid_from) or not is_date(valid_until) or valid_from > valid_until:
            raise ValueError(f"{where}: validity {valid_from}-{valid_until}")
        if not rule.isdigit() or int(rule) >= len(rule_lines) or int(rule) > 127:
            raise ValueError(f"{where}: rule {rule}")
        first = name[0]
        if first == "G" and kind_value & 0x0F != 6:
            raise ValueError(f"{where}: G train without the high-speed tariff")
        train_names.append(name)
    if len(set(train_names)) != len(train_names):
        raise ValueError("trains.tsv: a train number appears twice")
    if train_names != sorted(train_names):
        raise ValueError("trains.tsv: not in code-unit order")
    if not 400 <= len(train_names) <= 16383:
        raise ValueError(f"trains.tsv: {len(train_names)} trains")

    stops = read_tsv(files["stops.tsv"], ["train", "station", "arrival", "dwell", "km"],
                     "stops.tsv")
    known_stations = set(names)
    known_trains = set(train_names)
    by_train = {}
    for number, (train, station, arrival, dwell, km) in stops:
        where = f"stops.tsv:{number}"
        if train not in known_trains:
            raise ValueError(f"{where}: unknown train {train}")
        if station not in known_stations:
            raise ValueError(f"{where}: unknown station {station}")
        if len(arrival) != 5 or arrival[2] != ":" or not (arrival[:2] + arrival[3:]).isdigit():
            raise ValueError(f"{where}: arrival {arrival!r}")
        if int(arrival[:2]) > 23 or int(arrival[3:]) > 59:
            raise ValueError(f"{where}: arrival {arrival}")
        if not dwell.isdigit() or int(dwell) > 127:
            raise ValueError(f"{where}: dwell {dwell}")
        if not km.isdigit() or int(km) > 16383:
            raise ValueError(f"{where}: km {km}")
        by_train.setdefault(train, []).append((number, station, int(km)))
    for train in train_names:
        calls = by_train.get(train, [])
        if len(calls) < 2:
            raise ValueError(f"stops.tsv: train {train} has {len(calls)} stops")
        if calls[0][2] != 0:
            raise ValueError(f"stops.tsv:{calls[0][0]}: {train} does not start at 0 km")
        for (_, _, a), (number, _, b) in zip(calls, calls[1:]):
            if b < a:
                raise ValueError(f"stops.tsv:{number}: km falls along train {train}")
        visited = [s for _, s, _ in calls]
        if len(set(visited)) != len(visited):
            raise ValueError(f"stops.tsv: train {train} calls at a station twice")
    unused = known_stations - {s for calls in by_train.values() for _, s, _ in calls}
    if unused:
        raise ValueError(f"stations.tsv: no train calls at {sorted(unused)}")

    codes = read_tsv(files["codes.tsv"], ["code", "name"], "codes.tsv")
    coded = set()
    previous = ""
    for number, (code, name) in codes:
        if not code or not all("A" <= c <= "Z" for c in code):
            raise ValueError(f"codes.tsv:{number}: code {code!r}")
        if code < previous:
            raise ValueError(f"codes.tsv:{number}: not sorted by code")
        if name not in known_stations:
            raise ValueError(f"codes.tsv:{number}: unknown station {name}")
        previous = code
        coded.add(name)
    if coded != known_stations:
        raise ValueError(f"codes.tsv: no code for {sorted(known_stations - coded)}")

    ads = read_tsv(files["ads.tsv"], ["title", "link"], "ads.tsv")
    if not 2 <= len(ads) <= 4:
        raise ValueError(f"ads.tsv: {len(ads)} entries")
    for number, (title, link) in ads:
        if not title or any(c.isspace() for c in title):
            raise ValueError(f"ads.tsv:{number}: title {title!r}")
        if not link.startswith(AD_PREFIX) or any(c.isspace() for c in link):
            raise ValueError(f"ads.tsv:{number}: link {link!r} leaves the product's site")

    version = files["version.txt"]
    if not version.endswith("\n") or not version.strip() or not version.isascii():
        raise ValueError("version.txt: expected one line of ASCII text")

    return dict(stations=len(names), trains=len(train_names), stops=len(stops))


# ---------------------------------------------------------------------------------------------
# Report: the pairs a user would try, as the station-to-station and transfer searches see them.


def through_trains(a, b):
    """Trains calling at station a and later (by km) at station b: exact names, as the
    station lists are looked up."""
    found = []
    for t in TRAINS:
        km = {s: k for s, _, _, k in t.stops}
        if a in km and b in km and km[a] <= km[b] and a != b:
            found.append(t.name)
    return sorted(found)


def transfer_candidates(a, b):
    """Stations reached from a and reaching b by one train each, by least total distance."""
    forward, backward = {}, {}
    for t in TRAINS:
        names = [s for s, *_ in t.stops]
        kms = [k for *_, k in t.stops]
        if a in names:
            i = names.index(a)
            for s, k in zip(names[i + 1 :], kms[i + 1 :]):
                forward[s] = min(forward.get(s, 1 << 30), k - kms[i])
        if b in names:
            i = names.index(b)
            for s, k in zip(names[:i], kms[:i]):
                backward[s] = min(backward.get(s, 1 << 30), kms[i] - k)
    common = sorted((forward[s] + backward[s], s) for s in forward if s in backward)
    return [s for _, s in common if s not in (a, b)][:15]


def report(counts):
    print(f"stations {counts['stations']}, trains {counts['trains']}, stops {counts['stops']}")
    kinds = {}
    for t in TRAINS:
        key = t.name[0] if t.name[0].isalpha() else "number"
        kinds[key] = kinds.get(key, 0) + 1
    print("trains by first character:", ", ".join(f"{k} {v}" for k, v in sorted(kinds.items())))
    busiest = sorted(((sum(1 for t in TRAINS if any(s == n for s, *_ in t.stops)), n)
                      for n in stations_in_use()), reverse=True)[:8]
    print("busiest stations:", ", ".join(f"{n} {c}" for c, n in busiest))
    print("through trains:")
    for a, b in [("北京", "上海"), ("上海", "北京"), ("北京南", "上海虹桥"), ("北京西", "广州南"),
                 ("广州南", "深圳北"), ("北京南", "天津"), ("宁波东", "温州南"), ("上海虹桥", "杭州东"),
                 ("北京", "哈尔滨"), ("北京西", "广州"), ("南京南", "杭州东"), ("郑州东", "西安北")]:
        found = through_trains(a, b)
        more = " ..." if len(found) > 8 else ""
        print(f"  {a} -> {b}: {len(found)}  {' '.join(found[:8])}{more}")
    print("no through train (transfer candidates, best first):")
    for a, b in [("青岛", "宁波东"), ("于家堡", "青岛"), ("牡丹江", "长春"), ("大连", "长春"),
                 ("宜昌东", "厦门"), ("黄山北", "厦门"), ("太原南", "深圳"), ("三亚", "成都"),
                 ("牡丹江", "三亚"), ("张家口", "上海虹桥")]:
        found = through_trains(a, b)
        assert not found, (a, b, found)
        print(f"  {a} -> {b}: {', '.join(transfer_candidates(a, b)) or '(none)'}")


def self_test(files):
    """Each fault planted in a copy of the good files must be caught by `check`."""

    def edit(name, old, new, count=1):
        def apply(copy):
            if old not in copy[name]:
                raise AssertionError(f"self-test: {old!r} not in {name}")
            copy[name] = copy[name].replace(old, new, count)
        return apply

    def append(name, line):
        def apply(copy):
            copy[name] += line
        return apply

    g1 = "G1\t北京南\t07:00\t0\t0\n"
    cases = [
        ("unknown station", edit("stops.tsv", g1, "G1\t北京东南\t07:00\t0\t0\n")),
        ("km falls", edit("stops.tsv", g1, g1 + "G1\t廊坊\t07:20\t2\t2000\n")),
        ("does not start at 0 km", edit("stops.tsv", g1, "G1\t北京南\t07:00\t0\t5\n")),
        ("calls at a station twice",
         edit("stops.tsv", g1, g1 + "G1\t北京南\t07:05\t0\t0\n")),
        ("dwell", edit("stops.tsv", g1, "G1\t北京南\t07:00\t128\t0\n")),
        ("arrival", edit("stops.tsv", g1, "G1\t北京南\t24:00\t0\t0\n")),
        ("arrival", edit("stops.tsv", g1, "G1\t北京南\t7:00\t0\t0\n")),
        ("km", edit("stops.tsv", "\t2298\n", "\t16384\n")),
        ("columns", edit("stops.tsv", g1, "G1\t北京南\t07:00\t0\n")),
        ("unknown train", append("stops.tsv", "G9999\t北京南\t07:00\t0\t0\n")),
        ("appears twice",
         edit("trains.tsv", "\nG1\t", "\nG1\t0x06\t0\t20260701\t20271231\t0\nG1\t")),
        ("single-byte", edit("trains.tsv", "\nG1\t", "\nG1号\t")),
        ("kind", edit("trains.tsv", "\nG1\t0x06\t", "\nG1\t0x80\t")),
        ("factor", edit("trains.tsv", "\nZ15\t0x01\t5\t", "\nZ15\t0x01\t128\t")),
        ("rule", edit("trains.tsv", "\nZ201\t0x01\t5\t20261011\t20271010\t1\n",
                      "\nZ201\t0x01\t5\t20261011\t20271010\t3\n")),
        ("validity", edit("trains.tsv", "\t20271231\t", "\t20270231\t")),
        ("alias", append("stations.tsv", "宁波\t*\n")),
        ("no train calls", append("stations.tsv", "宁波西\t*\n")),
        ("appears twice", append("stations.tsv", "北京\t*\n")),
        ("code", edit("codes.tsv", "\nBJ\t北京\n", "\nBj\t北京\n")),
        ("not sorted", append("codes.tsv", "AA\t北京\n")),
        ("no code", edit("codes.tsv", "\nBJ\t北京\n", "\n")),
        ("leaves the product's site",
         edit("ads.tsv", "http://m.zelvan.cn/mp/dl/map", "http://m.zelvan.com/mp/dl/map")),
        ("title", edit("ads.tsv", "掌上地图", "掌上 地图")),
        ("period mask", edit("rules.txt", "2 1\n", "2\n")),
        ("version.txt", edit("version.txt", "\n", "")),
    ]
    check(files)  # the good files pass
    for expected, plant in cases:
        copy = dict(files)
        plant(copy)
        try:
            check(copy)
        except ValueError as fault:
            if expected not in str(fault):
                raise AssertionError(f"self-test: expected {expected!r}, got {fault}")
        else:
            raise AssertionError(f"self-test: fault {expected!r} passed the check")
    print(f"self-test: {len(cases)} planted faults caught")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--out", default=os.path.join(here, "..", "data", "sample"),
                        help="folder to write (default: data/sample)")
    parser.add_argument("--check", action="store_true",
                        help="compare the folder with the generated files instead of writing")
    parser.add_argument("--report", action="store_true", help="print numbers and example queries")
    parser.add_argument("--self-test", action="store_true",
                        help="plant faults in copies of the files and check that each is caught")
    args = parser.parse_args()

    build_services()
    files = render()
    try:
        counts = check(files)
    except ValueError as fault:
        print(f"make_sample: {fault}", file=sys.stderr)
        return 1

    if args.self_test:
        self_test(files)
        return 0
    if args.check:
        stale = []
        for name, text in files.items():
            path = os.path.join(args.out, name)
            try:
                with open(path, "rb") as f:
                    if f.read() != text.encode("utf-8"):
                        stale.append(name)
            except OSError:
                stale.append(name)
        if stale:
            print(f"make_sample: out of date in {args.out}: {', '.join(stale)}", file=sys.stderr)
            return 1
    else:
        os.makedirs(args.out, exist_ok=True)
        for name, text in files.items():
            with open(os.path.join(args.out, name), "wb") as f:
                f.write(text.encode("utf-8"))
    if args.report:
        report(counts)
    return 0


if __name__ == "__main__":
    sys.exit(main())
