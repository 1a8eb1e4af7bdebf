#!/usr/bin/env python3
"""Builds the reader's built-in collection (resource/collection/) from the
npm tarball of chinese-poetry 2.0.1.

    python3 tools/import_collection.py /tmp/chinese-poetry-2.0.1.tgz [--out DIR]

Needs only the Python standard library and the `opencc` command (Debian
package opencc). The output depends on nothing but the tarball and the files
in tools/collection/, so running it twice gives identical files.
"""

import argparse
import json
import os
import random
import re
import shutil
import subprocess
import sys
import tarfile
import unicodedata

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(HERE)
KESTROW_DIR = os.path.join(HERE, 'collection', 'kestrow')

# Limits of the reader's stored library, measured in GBK with CR LF line ends.
MAX_TITLE = 35
MAX_DESC = 43
MAX_ARTICLE = 32781          # one codec block: the wrap engine gets it whole
TOTAL_MIN, TOTAL_MAX = 1_200_000, 1_500_000

CATEGORIES = [  # (folder, tab name, article count, idents shuffled)
    ('cat0', '推荐', 27, True),
    ('cat1', '网文', 54, True),
    ('cat2', '军事', 116, False),
    ('cat3', '游戏', 39, True),
    ('cat4', 'Kestrow', 4, False),
]
SHUFFLE_SEED = 20041101

INDENT = '\u3000\u3000'      # two ideographic spaces open a prose paragraph


class BuildError(Exception):
    pass


def fail(msg):
    raise BuildError(msg)


class Article:
    def __init__(self, title, desc, lines, convert=True):
        self.title = title
        self.desc = desc
        self.lines = lines
        self.convert = convert   # False for text that is already simplified
        self.orig = None         # the lines before conversion


# ---------------------------------------------------------------- sources

def _num_key(name):
    """Sort key for data files numbered like ci.song.12000.json."""
    m = re.search(r'\.(\d+)\.json$', name)
    return (0, int(m.group(1)), name) if m else (1, 0, name)


class Source:
    """Reads the wanted JSON files out of the tarball in one pass."""

    SINGLE = {
        'gwgz': 'package/dist/mengxue/guwenguanzhi.json',
        'mengzi': 'package/dist/sishuwujing/mengzi.json',
        'daxue': 'package/dist/sishuwujing/daxue.json',
        'zhongyong': 'package/dist/sishuwujing/zhongyong.json',
        'lunyu': 'package/dist/lunyu/lunyu.json',
        'shijing': 'package/dist/shijing/shijing.json',
        'chuci': 'package/dist/chuci/chuci.json',
        'caocao': 'package/dist/caocaoshiji/caocao.json',
        'nalan': 'package/dist/nalanxingde/纳兰性德诗集.json',
        'youmeng': 'package/dist/youmengying/youmengying.json',
        'yuanqu': 'package/dist/yuanqu/yuanqu.json',
        'tangshi': 'package/dist/mengxue/tangshisanbaishou.json',
        'qianjia': 'package/dist/mengxue/qianjiashi.json',
        'shenglv': 'package/dist/mengxue/shenglvqimeng.json',
        'youxue': 'package/dist/mengxue/youxueqionglin.json',
        'zengguang': 'package/dist/mengxue/zengguangxianwen.json',
        'sanzi': 'package/dist/mengxue/sanzijing-traditional.json',
        'qianzi': 'package/dist/mengxue/qianziwen.json',
        'baijia': 'package/dist/mengxue/baijiaxing.json',
        'dizi': 'package/dist/mengxue/dizigui.json',
        'zhuzi': 'package/dist/mengxue/zhuzijiaxun.json',
        'license': 'package/LICENSE',
        'package': 'package/package.json',
    }
    SONGCI = re.compile(r'^package/dist/songci/ci\.song\.[0-9a-z]+\.json$')
    TANG = re.compile(r'^package/dist/quantangshi/poet\.tang\.\d+\.json$')

    def __init__(self, path):
        wanted = {v: k for k, v in self.SINGLE.items()}
        self.data = {}
        songci, tang = {}, {}
        try:
            tar = tarfile.open(path, 'r:gz')
        except (OSError, tarfile.TarError) as e:
            fail('cannot read %s: %s' % (path, e))
        with tar:
            for member in tar:
                name = member.name
                if not member.isfile():
                    continue
                if name in wanted or self.SONGCI.match(name) or self.TANG.match(name):
                    raw = tar.extractfile(member).read()
                    if name in wanted:
                        key = wanted[name]
                        self.data[key] = raw.decode('utf-8') if key == 'license' \
                            else json.loads(raw)
                    elif self.SONGCI.match(name):
                        songci[name] = json.loads(raw)
                    else:
                        tang[name] = json.loads(raw)
        missing = sorted(set(self.SINGLE) - set(self.data))
        if missing:
            fail('tarball lacks: ' + ', '.join(self.SINGLE[k] for k in missing))
        if self.data['package'].get('version') != '2.0.1':
            fail('expected chinese-poetry 2.0.1, got %r' % self.data['package'].get('version'))
        if 'MIT License' not in self.data['license']:
            fail('the package no longer carries the MIT licence')
        if not songci or not tang:
            fail('tarball lacks the songci or quantangshi files')
        self.songci = [p for n in sorted(songci, key=_num_key) for p in songci[n]]
        # From poet.tang.50000 on the files hold the later supplements, whose
        # poems carry modern editorial notes; only the Quan Tang Shi proper is
        # used.
        self.tang = [p for n in sorted(tang, key=_num_key) if _num_key(n)[1] < 50000
                     for p in tang[n]]

    def __getitem__(self, key):
        return self.data[key]


# ---------------------------------------------------------------- text helpers

# The data carries some editorial apparatus that does not belong in a reading
# text: variant notes such as "(藎篋 一作：畫篋)", pinyin glosses, numbered
# footnotes, glosses in brackets, and brackets around supplied characters.
NOTE = re.compile(r'[(（][^()（）]*?(?:一作|通：|同：|見《|见《)[^()（）]*?[)）]')
HAN = '\u3400-\u9fff\U00020000-\U0003ffff'
PINYIN = re.compile(r'\s*[(（][a-zāáǎàēéěèīíǐìōóǒòūúǔùǖǘǚǜü]+[)）]')
FOOTNOTE_MARK = re.compile(r'(?<=[%s])\d+(?=[%s])' % (HAN, HAN))
FOOTNOTE_TAIL = re.compile(r'(?<=[。」”？！])\d+\.\s.*$')
GLOSS = re.compile(r'\[通[^\]]*\]')
SUPPLIED = re.compile(r'\[([%s]{1,3})\]' % HAN)
# A Latin letter between two characters stands for one the data lost.
STRAY_LATIN = re.compile(r'(?<=[%s])[A-Za-z](?=[%s])' % (HAN, HAN))
# Radicals that only occur as components: a bracket starting with one of them
# spells out the parts of a character the data could not hold.
COMPONENTS = set('纟讠钅饣亻氵扌忄犭礻衤糹訁釒飠')
# Half-width punctuation slipped into some texts; on the page it would stand
# out among the full-width marks.
HALF_TO_FULL = str.maketrans({',': '，', ';': '；', ':': '：', '!': '！', '?': '？',
                              '(': '（', ')': '）'})
MISSING = '□'
source_fixes = {}


def _fixed(kind, n=1):
    source_fixes[kind] = source_fixes.get(kind, 0) + n


def _supplied(m):
    if m.group(1)[0] in COMPONENTS:
        _fixed('character spelt out by its parts, now %s' % MISSING)
        return MISSING
    _fixed('editorial brackets removed')
    return m.group(1)


def clean(s):
    """One line of source data as reading text."""
    s = re.sub(r'[\r\n\t\u200b\ufeff]', '', s)
    for pattern, kind in [(NOTE, 'variant notes removed'), (PINYIN, 'pinyin glosses removed'),
                          (FOOTNOTE_TAIL, 'footnotes removed'),
                          (FOOTNOTE_MARK, 'footnote marks removed'),
                          (GLOSS, 'glosses removed')]:
        s, n = pattern.subn('', s)
        if n:
            _fixed(kind, n)
    s = SUPPLIED.sub(_supplied, s)
    s, n = STRAY_LATIN.subn(MISSING, s)
    if n:
        _fixed('stray Latin letter inside a word, now %s' % MISSING, n)
    s = re.sub(r'(?<=[%s])\.' % HAN, '。', s)
    return s.translate(HALF_TO_FULL).strip()


def cleaned(strings):
    return [c for c in map(clean, strings) if c]


WORDLIKE = re.compile(r'[\w%s]' % HAN)
SENTENCE_END = re.compile(r'([。！？][”’」』）]*)')


def sentences(s):
    """Splits verse after every full stop, question or exclamation mark."""
    parts = SENTENCE_END.split(clean(s))
    out, cur = [], ''
    for i, p in enumerate(parts + ['']):
        cur += p
        if i % 2 == 1 or i == len(parts):
            # A note removed by clean() can leave a lone full stop behind.
            if WORDLIKE.search(cur):
                out.append(cur.strip())
            cur = ''
    return out


def verse_lines(paragraphs):
    out = []
    for p in paragraphs:
        if isinstance(p, dict):     # a poem of a set: "其一", "其二" ...
            out.append(clean(p.get('subchapter') or ''))
            out += verse_lines(p.get('paragraphs') or [])
        else:
            out += sentences(p)
    return [line for line in out if line]


def prose_lines(paragraphs):
    return [INDENT + c for c in (clean(p) for p in paragraphs) if c]


def join_blocks(blocks):
    """Blocks (poems, sections) separated by one empty line."""
    lines = []
    for b in blocks:
        if lines:
            lines.append('')
        lines.extend(b)
    return lines


def approx_size(lines):
    return sum(2 * len(line) + 2 for line in lines)


def split_blocks(blocks, parts):
    """Cuts a list of blocks into `parts` runs of about equal size, never
    inside a block."""
    sizes = [approx_size(b) + 2 for b in blocks]
    total = sum(sizes)
    runs, cur, acc = [], [], 0
    for i, (b, sz) in enumerate(zip(blocks, sizes)):
        target = total * (len(runs) + 1) / parts
        left = parts - len(runs) - 1
        if cur and left > 0 and acc + sz / 2 > target and len(blocks) - i >= left:
            runs.append(cur)
            cur = []
        cur.append(b)
        acc += sz
    runs.append(cur)
    if len(runs) != parts:
        fail('could not cut %d blocks into %d parts' % (len(blocks), parts))
    return runs


CN_NUM = '一二三四五六七八九十'


def part_names(n):
    if n == 2:
        return ['(上)', '(下)']
    if n == 3:
        return ['(上)', '(中)', '(下)']
    return ['(%s)' % CN_NUM[i] for i in range(n)]


def parted(title, desc, blocks, parts):
    out = []
    for name, run in zip(part_names(parts), split_blocks(blocks, parts)):
        out.append(Article(title + name, desc + name, join_blocks(run)))
    return out


# ---------------------------------------------------------------- the books

class GuWen:
    """The 222 essays of the Guwen Guanzhi, numbered 1..222 in book order."""

    def __init__(self, src):
        self.items = [a for vol in src['gwgz']['content'] for a in vol['content']]
        if len(self.items) != 222:
            fail('expected 222 essays in guwenguanzhi.json, found %d' % len(self.items))
        self.used = set()

    def article(self, n, title=None):
        if n in self.used:
            fail('essay %d used twice' % n)
        self.used.add(n)
        a = self.items[n - 1]
        name = clean(a['chapter'])
        author = clean(a['author']).split('：')[-1].split('·')[-1]
        author = re.sub(r'\s*撰$', '', author).strip()
        source = clean(a['source'])
        who = source.strip('《》') if source.startswith('《') else author
        title = title or name
        return Article(title, '%s·%s' % (who, name), prose_lines(a['paragraphs']))

    def check(self, expect):
        """Guards the numbering against a differently ordered data file."""
        for n, name in expect.items():
            if clean(self.items[n - 1]['chapter']) != name:
                fail('essay %d is %r, expected %r' % (n, self.items[n - 1]['chapter'], name))


def mengzi(src):
    out = []
    for book in src['mengzi']:
        name = clean(book['chapter'])
        out.append(Article('孟子·' + name, '孟子·' + name, prose_lines(book['paragraphs'])))
    if len(out) != 14:
        fail('expected 14 books of Mengzi')
    return out


def lunyu(src, parts):
    blocks = [[p['chapter']] + prose_lines(p['paragraphs']) for p in src['lunyu']]
    if len(blocks) != 20:
        fail('expected 20 chapters of Lunyu')
    out = []
    for name, run in zip(part_names(parts), split_blocks(blocks, parts)):
        first, last = run[0][0].rstrip('篇'), run[-1][0].rstrip('篇')
        out.append(Article('论语%s·%s至%s' % (name, first, last),
                           '论语·%s至%s' % (first, last), join_blocks(run)))
    return out


def single_book(src, key, title):
    return Article(title, title, prose_lines(src[key]['paragraphs']))


SHIJING_GROUPS = [
    (['周南', '召南'], '诗经·周南 召南', '诗经·国风·周南 召南'),
    (['邶风'], '诗经·邶风', '诗经·国风·邶风'),
    (['鄘风', '卫风'], '诗经·鄘风 卫风', '诗经·国风·鄘风 卫风'),
    (['王风', '郑风'], '诗经·王风 郑风', '诗经·国风·王风 郑风'),
    (['齐风', '魏风'], '诗经·齐风 魏风', '诗经·国风·齐风 魏风'),
    (['唐风', '秦风'], '诗经·唐风 秦风', '诗经·国风·唐风 秦风'),
    (['陈风', '桧风', '曹风', '豳风'], '诗经·陈桧曹豳风', '诗经·国风·陈 桧 曹 豳'),
    (['鹿鸣之什', '南有嘉鱼之什'], '诗经·小雅(一)', '诗经·小雅·鹿鸣 南有嘉鱼'),
    (['鸿雁之什', '节南山之什'], '诗经·小雅(二)', '诗经·小雅·鸿雁 节南山'),
    (['谷风之什', '甫田之什'], '诗经·小雅(三)', '诗经·小雅·谷风 甫田'),
    (['鱼藻之什'], '诗经·小雅(四)', '诗经·小雅·鱼藻之什'),
    (['文王之什', '生民之什'], '诗经·大雅(上)', '诗经·大雅·文王 生民'),
    (['荡之什'], '诗经·大雅(下)', '诗经·大雅·荡之什'),
    (['清庙之什', '臣工之什', '闵予小子之什', '駉之什', '那之什'], '诗经·颂',
     '诗经·周颂 鲁颂 商颂'),
]


def shijing(src):
    by_section = {}
    for p in src['shijing']:
        block = ['《%s》' % clean(p['title'])] + verse_lines(p['content'])
        by_section.setdefault(p['section'], []).append(block)
    out, seen = [], set()
    for sections, title, desc in SHIJING_GROUPS:
        blocks = []
        for s in sections:
            if s not in by_section:
                fail('Shijing section %s missing' % s)
            seen.add(s)
            blocks += by_section[s]
        out.append(Article(title, desc, join_blocks(blocks)))
    if seen != set(by_section):
        fail('Shijing sections left out: %s' % sorted(set(by_section) - seen))
    return out


CHUCI_GROUPS = [
    (['离骚'], '楚辞·离骚'),
    (['九歌', '天问'], '楚辞·九歌 天问'),
    (['九章'], '楚辞·九章'),
    (['远游', '卜居', '渔父', '九辩', '招魂'], '楚辞·远游 卜居 渔父 九辩 招魂'),
    (['大招', '惜誓', '招隐士', '七谏', '哀时命'], '楚辞·大招 惜誓 七谏等'),
    (['九怀', '九叹', '九思'], '楚辞·九怀 九叹 九思'),
]


def chuci(src):
    by_section = {}
    for p in src['chuci']:
        head = p['section'] if p['title'] == p['section'] else \
            '%s·%s' % (p['section'], p['title'])
        block = ['《%s》' % clean(head)] + cleaned(p['content'])
        by_section.setdefault(p['section'], []).append(block)
    out, seen = [], set()
    for sections, title in CHUCI_GROUPS:
        blocks = []
        for s in sections:
            seen.add(s)
            blocks += by_section[s]
        out.append(Article(title, title, join_blocks(blocks)))
    if seen != set(by_section):
        fail('Chuci sections left out: %s' % sorted(set(by_section) - seen))
    return out


def anthology(poems, parts, title, desc):
    """poems: (heading, lines) pairs. A poem with a gap in the source (a
    character the data itself gives as a blank square) is left out: an
    anthology has enough without it."""
    blocks = []
    for h, ls in poems:
        if not ls:
            continue
        if any(MISSING in line for line in [h] + ls):
            _fixed('poems left out for gaps (%s) in the source' % MISSING)
            continue
        blocks.append([h] + ls)
    if parts == 1:
        return [Article(title, desc, join_blocks(blocks))]
    return parted(title, desc, blocks, parts)


def tang_poet(src, author, parts, title, desc):
    poems = [('《%s》' % clean(p['title']), verse_lines(p['paragraphs']))
             for p in src.tang if p['author'] == author]
    if not poems:
        fail('no poems of %s' % author)
    return anthology(poems, parts, title, desc)


def song_ci(src, parts, title, desc, author=None, tag=None):
    poems = []
    for p in src.songci:
        if author and p['author'] != author:
            continue
        if tag and tag not in (p.get('tags') or []):
            continue
        head = '《%s》' % clean(p['rhythmic'])
        if not author:
            head += clean(p['author'])
        poems.append((head, cleaned(p['paragraphs'])))
    if not poems:
        fail('no ci for %s' % (author or tag))
    return anthology(poems, parts, title, desc)


def tangshi300(src):
    out = []
    for group in src['tangshi']['content']:
        poems = []
        for p in group['content']:
            head = '《%s》%s' % (clean(p['chapter']), clean(p['author']))
            poems.append((head, verse_lines(p['paragraphs'])))
        kind = clean(group['type'])
        out += anthology(poems, 1, '唐诗三百首·' + kind, '唐诗三百首·' + kind)
    return out


def qianjiashi(src):
    out = []
    for group in src['qianjia']['content']:
        poems = [('《%s》%s' % (clean(p['chapter']), clean(p['author'])),
                  verse_lines(p['paragraphs'])) for p in group['content']]
        kind = clean(group['type'])
        out += anthology(poems, 1, '千家诗·' + kind, '千家诗·' + kind)
    return out


def caocao(src):
    poems = [('《%s》' % clean(p['title']), verse_lines(p['paragraphs']))
             for p in src['caocao']]
    return anthology(poems, 1, '曹操诗集', '曹操·诗集')


def nalan(src, parts):
    poems = [('《%s》' % clean(p['title']), cleaned(p['para']))
             for p in src['nalan']]
    return anthology(poems, parts, '纳兰词', '纳兰性德·饮水词')


MODES = ['仙吕', '南吕', '中吕', '正宫', '双调', '越调', '商调', '黄钟', '大石调',
         '小石调', '般涉调', '商角调']


def yuanqu_play(src, author, play, title, desc):
    arias = [p for p in src['yuanqu']
             if p['author'] == author and p['title'].split('・', 1)[0] == play
             and '・' in p['title']]
    if not arias:
        fail('play %s·%s not found' % (author, play))
    pos = [src['yuanqu'].index(p) for p in arias]
    if pos != list(range(pos[0], pos[0] + len(pos))):
        fail('play %s·%s is scattered over the data file' % (author, play))
    lines = []
    for p in arias:
        tune = p['title'].split('・', 1)[1]
        text = ''.join(clean(x) for x in p['paragraphs'])
        opens_act = '/' in tune
        if not text:
            # A few arias sit in the title field: "麻郎儿)他出家儿……/".
            _fixed('arias recovered from the title field')
            tune = clean(tune.rstrip('/'))
            if '）' in tune:
                tune, text = tune.split('）', 1)
            else:
                mode = next((m for m in MODES if tune.startswith(m)), '')
                tune, text = mode, tune[len(mode):]
                opens_act = bool(mode)
        # A mode name before the tune ("仙吕/点绛唇") opens a new act.
        if opens_act and lines:
            lines.append('')
        head = '【%s】' % tune.replace('/', '·') if tune else ''
        lines.append(head + text)
    return Article(title, desc, lines)


def youmengying(src, parts):
    blocks = []
    for p in src['youmeng']:
        block = [clean(p['content'])]
        block += [INDENT + c for c in cleaned(p.get('comment') or [])]
        blocks.append(block)
    return parted('幽梦影', '张潮·幽梦影', blocks, parts)


def shenglv(src, per_part):
    rhymes = []
    for vol in src['shenglv']['content']:
        for ch in vol['content']:
            rhymes.append((clean(ch['chapter']).replace(' ', ''), verse_lines(ch['paragraphs'])))
    out = []
    for i in range(0, len(rhymes), per_part):
        run = rhymes[i:i + per_part]
        names = ' '.join(r[0] for r in run)
        out.append(Article('声律启蒙·' + names, '车万育·声律启蒙·' + names,
                           join_blocks([[name] + ls for name, ls in run])))
    return out


def youxue(src):
    out = []
    for vol in src['youxue']['content']:
        blocks = [[clean(ch['chapter'])] + verse_lines(ch['paragraphs'])
                  for ch in vol['content']]
        name = clean(vol['title'])
        out += parted('幼学琼林·' + name, '程登吉·幼学琼林·' + name, blocks, 2)
    return out


def zengguang(src):
    out = []
    for part, half in zip(src['zengguang']['content'], ['(上)', '(下)']):
        out.append(Article('增广贤文' + half, '增广贤文' + half,
                           cleaned(part['paragraphs'])))
    return out


def primers(src):
    out = [Article('三字经', '王应麟·三字经',
                   [clean(x) for x in src['sanzi']['paragraphs']])]
    phrases = [clean(x) for x in src['qianzi']['paragraphs']]
    out.append(Article('千字文', '周兴嗣·千字文',
                       ['%s，%s。' % (phrases[i], phrases[i + 1])
                        for i in range(0, len(phrases) - 1, 2)]))
    out.append(Article('百家姓', '百家姓', [clean(x) for x in src['baijia']['paragraphs']]))
    blocks = [[clean(ch['chapter'])] + [clean(x).replace(' ', '\u3000')
                                        for x in ch['paragraphs']]
              for ch in src['dizi']['content']]
    out.append(Article('弟子规', '李毓秀·弟子规', join_blocks(blocks)))
    lines, cur = [], ''
    for x in src['zhuzi']['paragraphs']:
        cur += clean(x)
        if cur.endswith('。'):
            lines.append(cur)
            cur = ''
    if cur:
        lines.append(cur)
    out.append(Article('朱子家训', '朱柏庐·朱子家训', lines))
    return out


def kestrow():
    out = []
    for fname, title in [('usage.txt', '使用说明'), ('keys.txt', '快捷键与命令'),
                         ('sources.txt', '文集来源'), ('news.txt', '新版说明')]:
        with open(os.path.join(KESTROW_DIR, fname), encoding='utf-8') as f:
            lines = [line.rstrip() for line in f.read().split('\n')]
        while lines and not lines[-1]:
            lines.pop()
        out.append(Article(title, 'Kestrow·' + title, lines, convert=False))
    return out


# ---------------------------------------------------------------- the plan

def build(src):
    g = GuWen(src)
    g.check({1: '鄭伯克段於鄢', 8: '曹劌論戰', 17: '燭之武退秦師', 57: '蘇秦以連橫說秦',
             93: '過秦論', 103: '前出師表', 108: '桃花源記', 158: '岳陽樓記',
             171: '醉翁亭記', 222: '五人墓碑記'})

    # The best-known pieces, then the two great anthologies of Tang and Song verse.
    cat0 = [g.article(103, '出师表'), g.article(108), g.article(158), g.article(171),
            g.article(106), g.article(117), g.article(113), g.article(107),
            g.article(105), g.article(118), g.article(124), g.article(123, '马说'),
            g.article(192), g.article(146), g.article(172), g.article(203),
            g.article(189)]
    cat0 += tangshi300(src)
    cat0 += song_ci(src, 3, '宋词三百首', '宋词三百首', tag='宋词三百首')

    # Literary prose, the Songs, the Chu elegies, three of the Four Books,
    # Yuan drama and Qing lyrics.
    cat1 = [g.article(n) for n in (73, 82, 88, 110, 114, 125, 147, 151, 155, 187,
                                   198, 208, 218, 221)]
    cat1 += shijing(src)
    cat1 += chuci(src)
    cat1 += lunyu(src, 4)
    cat1 += [single_book(src, 'daxue', '大学'), single_book(src, 'zhongyong', '中庸')]
    for author, play, title in [
            ('王实甫', '张君瑞闹道场(第一本)', '西厢记(第一本)'),
            ('王实甫', '崔莺莺夜听琴(第二本)', '西厢记(第二本)'),
            ('王实甫', '张君瑞害相思(第三本)', '西厢记(第三本)'),
            ('王实甫', '草桥店梦莺莺(第四本)', '西厢记(第四本)'),
            ('王实甫', '张君瑞庆团园(第五本)', '西厢记(第五本)'),
            ('关汉卿', '感天动地窦娥冤', '窦娥冤'),
            ('马致远', '破幽梦孤雁汉宫秋', '汉宫秋'),
            ('白朴', '唐明皇秋夜梧桐雨', '梧桐雨'),
            ('白朴', '裴少俊墙头马上', '墙头马上'),
            ('郑光祖', '迷青琐倩女离魂', '倩女离魂'),
            ('关汉卿', '赵盼儿风月救风尘', '救风尘'),
            ('纪君祥', '冤报冤赵氏孤儿', '赵氏孤儿')]:
        cat1.append(yuanqu_play(src, author, play, title, '%s·%s' % (author, title)))
    cat1 += nalan(src, 2)

    # War, diplomacy and statecraft: Zuozhuan, Guoyu, Zhanguoce, the Han and
    # later essays on arms and government, Mengzi, frontier verse, and Yuan
    # plays of battle.
    left = [n for n in range(1, 72)
            if n not in (4, 28, 39, 40, 41, 42, 46, 48, 49, 51, 52, 53, 54, 55, 56)]
    cat2 = [g.article(n) for n in left]
    cat2 += [g.article(n) for n in (75, 76, 81, 93, 94, 95, 98, 101, 104, 112, 116,
                                    167, 175, 177, 180, 181, 183, 196,
                                    209, 210, 215, 220)]
    cat2 += mengzi(src)
    cat2 += caocao(src)
    cat2 += tang_poet(src, '岑參', 3, '岑参诗', '岑参·诗集')
    cat2 += tang_poet(src, '高適', 3, '高适诗', '高适·诗集')
    cat2 += song_ci(src, 5, '稼轩词', '辛弃疾·稼轩词', author='辛弃疾')
    for author, play, title in [
            ('关汉卿', '关大王独赴单刀会', '单刀会'),
            ('郑光祖', '虎牢关三战吕布', '三战吕布'),
            ('无名氏', '庞涓夜走马陵道', '马陵道'),
            ('无名氏', '两军师隔江斗智', '隔江斗智'),
            ('金仁杰', '萧何月夜追韩信', '萧何追韩信'),
            ('关汉卿', '尉迟恭单鞭夺槊', '单鞭夺槊'),
            ('无名氏', '诸葛亮博望烧屯', '博望烧屯'),
            ('无名氏', '锦云堂暗定连环计', '连环计'),
            ('高文秀', '保成公径赴渑池会', '渑池会'),
            ('李文蔚', '破苻坚蒋神灵应', '破苻坚'),
            ('李文蔚', '张子房圯桥进履', '圯桥进履'),
            ('朱凯', '昊天塔孟良盗骨', '孟良盗骨')]:
        cat2.append(yuanqu_play(src, author, play, title, '%s·%s' % (author, play)))

    # Pastimes: aphorisms, couplet drills and the primers.
    cat3 = youmengying(src, 10)
    cat3 += shenglv(src, 3)
    cat3 += youxue(src)
    cat3 += zengguang(src)
    cat3 += qianjiashi(src)
    cat3 += primers(src)

    cat4 = kestrow()
    return [cat0, cat1, cat2, cat3, cat4]


# ---------------------------------------------------------------- conversion

def opencc_t2s(strings):
    """Runs every string through one `opencc -c t2s` call, one per line."""
    for s in strings:
        if '\n' in s or '\r' in s:
            fail('line break inside a line: %r' % s[:40])
    text = '\n'.join(strings) + '\n'
    try:
        res = subprocess.run(['opencc', '-c', 't2s'], input=text.encode('utf-8'),
                             stdout=subprocess.PIPE, check=True)
    except (OSError, subprocess.CalledProcessError) as e:
        fail('opencc failed (apt-get install opencc): %s' % e)
    out = res.stdout.decode('utf-8').split('\n')
    if out and out[-1] == '':
        out.pop()
    if len(out) != len(strings):
        fail('opencc returned %d lines for %d' % (len(out), len(strings)))
    return out


def convert_all(cats):
    todo = []
    for cat in cats:
        for a in cat:
            if a.convert:
                todo += [a.title, a.desc] + a.lines
    done = iter(opencc_t2s(todo))
    for cat in cats:
        for a in cat:
            if a.convert:
                a.orig = [a.title, a.desc] + a.lines
                a.title, a.desc = next(done), next(done)
                a.lines = [next(done) for _ in a.lines]


# Characters outside GBK that have a GBK look-alike.
GBK_MAP = {'\u30fb': '·', '\u2027': '·', '\u2219': '·', '\u00a0': ' ',
           '\u2e3a': '——', '\u2e3b': '———', '\uff5e': '～', '\u2022': '·'}


class GbkFixer:
    def __init__(self):
        self.kept = {}
        self.mapped = {}
        self.missing = {}
        self.dropped = {}

    def fix(self, s, orig=None):
        # OpenCC maps a character one to one, so when the lengths agree the
        # original sits at the same place. Many analogically simplified forms
        # lie outside GBK while the traditional form is inside it.
        if orig is None or len(orig) != len(s):
            orig = s
        out = []
        for c, o in zip(s, orig):
            try:
                c.encode('gbk')
                out.append(c)
                continue
            except UnicodeEncodeError:
                pass
            try:
                o.encode('gbk')
                self.kept[c] = self.kept.get(c, 0) + 1
                out.append(o)
                continue
            except UnicodeEncodeError:
                pass
            if unicodedata.category(c) in ('Cf', 'Cc', 'Mn'):
                self.dropped[c] = self.dropped.get(c, 0) + 1
                continue
            alt = GBK_MAP.get(c) or unicodedata.normalize('NFKC', c)
            try:
                alt.encode('gbk')
                if alt != c and alt.strip():
                    self.mapped[c] = self.mapped.get(c, 0) + 1
                    out.append(alt)
                    continue
            except UnicodeEncodeError:
                pass
            self.missing[c] = self.missing.get(c, 0) + 1
            out.append(MISSING)
        return ''.join(out)


# ---------------------------------------------------------------- checks

def gbk_len(s):
    return len(s.encode('gbk'))


def article_bytes(a):
    return ('\r\n'.join(a.lines) + '\r\n').encode('gbk')


def check(cats):
    problems = []
    total = 0
    for (folder, name, count, _), cat in zip(CATEGORIES, cats):
        if len(cat) != count:
            problems.append('%s %s: %d articles, expected %d' % (folder, name, len(cat), count))
        titles = set()
        for a in cat:
            where = '%s "%s"' % (folder, a.title)
            if not a.title or '\t' in a.title or gbk_len(a.title) > MAX_TITLE:
                problems.append('%s: bad title (%d bytes)' % (where, gbk_len(a.title)))
            if a.title in titles:
                problems.append('%s: duplicate title' % where)
            titles.add(a.title)
            if '\t' in a.desc or not 1 <= gbk_len(a.desc) <= MAX_DESC:
                problems.append('%s: bad description "%s" (%d bytes)'
                                % (where, a.desc, gbk_len(a.desc)))
            for s in [a.title, a.desc] + a.lines:
                if any(c in s for c in '\r\n\0'):
                    problems.append('%s: CR, LF or NUL inside a line' % where)
            if not a.lines or not ''.join(a.lines).strip():
                problems.append('%s: empty article' % where)
            elif not a.lines[-1].strip() or not a.lines[0].strip():
                problems.append('%s: starts or ends with an empty line' % where)
            body = article_bytes(a)
            if len(body) > MAX_ARTICLE:
                problems.append('%s: %d bytes, more than %d' % (where, len(body), MAX_ARTICLE))
            if not body.endswith(b'\r\n') or body.replace(b'\r\n', b'').count(b'\r') \
                    or body.replace(b'\r\n', b'').count(b'\n'):
                problems.append('%s: stray line break' % where)
            total += len(body)
    if not TOTAL_MIN <= total <= TOTAL_MAX:
        problems.append('total %d bytes, outside %d..%d' % (total, TOTAL_MIN, TOTAL_MAX))
    if problems:
        fail('collection fails its limits:\n  ' + '\n  '.join(problems))


# ---------------------------------------------------------------- output

README = """# Built-in collection

Generated by `tools/import_collection.py` from the npm package `chinese-poetry` 2.0.1 (MIT licence; its LICENSE file travels with the package).
The texts themselves are classical Chinese works in the public domain; the four articles of `cat4` are our own.
Traditional characters were converted to simplified ones with OpenCC (`opencc -c t2s`); where the simplified form lies outside GBK the traditional one was kept, and the few characters GBK cannot hold at all became {missing}.
Layout: `catN/catalogue.tsv` lists ident, file, title and description per article in display order; `catN/NNN.txt` is one article (UTF-8, LF).
Regenerate: `python3 tools/import_collection.py chinese-poetry-2.0.1.tgz` (tarball from `npm pack chinese-poetry@2.0.1`; needs the Debian package opencc).
"""


def idents(count, shuffled, seed):
    ids = list(range(1, count + 1))
    if shuffled:
        rng = random.Random(seed)
        while ids == sorted(ids):
            rng.shuffle(ids)
    return ids


def write(out_dir, cats):
    os.makedirs(out_dir, exist_ok=True)
    for n, ((folder, _, count, shuffled), cat) in enumerate(zip(CATEGORIES, cats)):
        path = os.path.join(out_dir, folder)
        if os.path.isdir(path):
            shutil.rmtree(path)
        os.makedirs(path)
        rows = []
        for i, (a, ident) in enumerate(zip(cat, idents(count, shuffled, SHUFFLE_SEED + n))):
            fname = '%03d.txt' % (i + 1)
            with open(os.path.join(path, fname), 'w', encoding='utf-8', newline='\n') as f:
                f.write('\n'.join(a.lines) + '\n')
            rows.append('%d\t%s\t%s\t%s\n' % (ident, fname, a.title, a.desc))
        with open(os.path.join(path, 'catalogue.tsv'), 'w', encoding='utf-8',
                  newline='\n') as f:
            f.writelines(rows)
    with open(os.path.join(out_dir, 'README.md'), 'w', encoding='utf-8', newline='\n') as f:
        f.write(README.format(missing='"%s"' % MISSING))


def summary(cats, fixer):
    total = 0
    print('%-5s %-8s %5s %10s  %s' % ('cat', 'name', 'count', 'bytes', 'longest article'))
    for (folder, name, _, _), cat in zip(CATEGORIES, cats):
        sizes = [len(article_bytes(a)) for a in cat]
        longest = max(range(len(cat)), key=lambda i: sizes[i])
        total += sum(sizes)
        print('%-5s %-8s %5d %10d  %s (%d bytes)'
              % (folder, name, len(cat), sum(sizes), cat[longest].title, sizes[longest]))
    print('total %d articles, %d bytes (GBK, CR LF)' % (sum(len(c) for c in cats), total))
    for label, table in [('kept in the traditional form (simplified form not in GBK)',
                          fixer.kept),
                         ('mapped to a GBK look-alike', fixer.mapped),
                         ('replaced by %s' % MISSING, fixer.missing),
                         ('dropped (format characters)', fixer.dropped)]:
        n = sum(table.values())
        chars = ' '.join('U+%04X' % ord(c) for c in sorted(table))
        print('%s: %d (%d distinct)%s' % (label, n, len(table), ': ' + chars if chars else ''))
    for kind in sorted(source_fixes):
        print('source apparatus, %s: %d' % (kind, source_fixes[kind]))


def main():
    ap = argparse.ArgumentParser(description=__doc__.split('\n\n')[0])
    ap.add_argument('tarball', help='chinese-poetry-2.0.1.tgz (npm pack chinese-poetry@2.0.1)')
    ap.add_argument('--out', default=os.path.join(REPO, 'resource', 'collection'))
    args = ap.parse_args()
    try:
        src = Source(args.tarball)
        cats = build(src)
        convert_all(cats)
        fixer = GbkFixer()
        for cat in cats:
            for a in cat:
                orig = a.orig or [None] * (len(a.lines) + 2)
                a.title, a.desc = fixer.fix(a.title, orig[0]), fixer.fix(a.desc, orig[1])
                a.lines = [fixer.fix(line, o) for line, o in zip(a.lines, orig[2:])]
        check(cats)
        write(args.out, cats)
        summary(cats, fixer)
    except BuildError as e:
        print('import_collection: %s' % e, file=sys.stderr)
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main())
