#!/usr/bin/env python3
"""tarvelin find --csv read back by Python's csv module: every record equals the JSON listing's
row, in UTF-8 with its byte order mark and in code page 932 with what it cannot hold reported."""
import csv
import io
import json
import subprocess
import sys
import tempfile
import zipfile
from pathlib import Path

TARVELIN, SAMPLE = sys.argv[1], sys.argv[2]
W = 'http://schemas.openxmlformats.org/wordprocessingml/2006/main'


def make_docx(path, text):
    with zipfile.ZipFile(path, 'w') as z:
        z.writestr('[Content_Types].xml',
                   '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
                   '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
                   '<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-'
                   'officedocument.wordprocessingml.document.main+xml"/></Types>')
        z.writestr('_rels/.rels',
                   '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                   '<Relationship Id="r1" Type="http://schemas.openxmlformats.org/officeDocument/2006/'
                   'relationships/officeDocument" Target="word/document.xml"/></Relationships>')
        z.writestr('word/document.xml', f'<w:document xmlns:w="{W}"><w:body><w:p><w:r>'
                   f'<w:t xml:space="preserve">{text}</w:t></w:r></w:p></w:body></w:document>')


def run(*args):
    return subprocess.run([TARVELIN, 'find', *args], capture_output=True)


def check(condition, message):
    if not condition:
        print('FAILED:', message)
        sys.exit(1)


def compare(records, hits, name):
    header, rows = records[0], records[1:]
    check(header == ['項番', 'テキスト', 'タイプ', '開始位置', '終了位置', 'タイプコード', '場所', '前の文脈', '後の文脈'],
          f'{name}: header {header}')
    check(len(rows) == len(hits), f'{name}: {len(rows)} records, {len(hits)} hits')
    for row, hit in zip(rows, hits):
        expected = [str(hit['no']), hit['text'], hit['type'], str(hit['start']), str(hit['end']), str(hit['code'])]
        check(row[:6] == expected, f'{name}: {row} against {expected}')
        check(row[6].startswith('セクション '), f'{name}: place {row[6]}')
        check(row[7:] == [hit['context']['before'], hit['context']['after']], f'{name}: context {row[7:]}')


with tempfile.TemporaryDirectory() as folder:
    tricky = str(Path(folder) / 'tricky.docx')
    make_docx(tricky, '彼は &quot;はい, そうです&quot; と言った𠮷～')
    for document, text in ((SAMPLE, '資料'), (tricky, '"はい, そうです"')):
        hits = json.loads(run('--text', text, '--json', document).stdout)
        check(len(hits) > 0, f'{document}: no hits')
        utf8 = run('--text', text, '--csv', document)
        check(utf8.returncode == 0, f'{document}: exit {utf8.returncode} {utf8.stderr}')
        check(utf8.stdout.startswith(b'\xef\xbb\xbf'), 'no byte order mark')
        check(utf8.stdout.count(b'\r\n') == len(hits) + 1, 'records do not end in CR LF')
        compare(list(csv.reader(io.StringIO(utf8.stdout.decode('utf-8-sig'), newline=''))), hits, document)

    # Code page 932 cannot hold 𠮷: written as ?, reported with its row, and the exit status says so.
    hits = json.loads(run('--text', 'はい', '--json', tricky).stdout)
    for hit in hits:
        hit['context']['after'] = hit['context']['after'].replace('𠮷', '?')
    sjis = run('--text', 'はい', '--csv', '--encoding', 'cp932', tricky)
    check(sjis.returncode == 2, f'cp932: exit {sjis.returncode}')
    check('U+20BB7' in sjis.stderr.decode('utf-8') and '項番 1' in sjis.stderr.decode('utf-8'), sjis.stderr.decode('utf-8'))
    check(not sjis.stdout.startswith(b'\xef\xbb\xbf'), 'cp932 with a byte order mark')
    compare(list(csv.reader(io.StringIO(sjis.stdout.decode('cp932'), newline=''))), hits, 'cp932')
print('ok')
