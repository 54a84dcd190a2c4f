#!/usr/bin/python3
"""Checks the golden reports of the formats for other programs with real
tools: each JSON report parses with jq and validates against the schema; each
web page parses with a strict HTML5 parser, without an element the page does
not write or a link of another scheme; each Markdown report renders with
cmark-gfm (GitHub's tables) into the very headings, paragraphs and table
cells, with the same texts, that the case's web page shows, and into no other
element. Usage: check_formats.py GOLDEN_DIR SCHEMA"""
import json
import pathlib
import subprocess
import sys

import html5lib
import jsonschema

PAGE_TAGS = {"html", "head", "meta", "title", "style", "body", "section",
             "footer", "h1", "h2", "h3", "p", "br", "a", "table", "tbody",
             "tr", "th", "td"}
RENDERED_TAGS = {"h1", "h2", "h3", "p", "br", "a", "hr", "table", "thead",
                 "tbody", "tr", "th", "td"}
LINKS = ("shplay:", "telnet:", "https:")


def elements(tree):
    return [e for e in tree.iter() if isinstance(e.tag, str)]


def check_tags(tree, allowed, where):
    tags = {e.tag for e in elements(tree)} - {"DOCUMENT_FRAGMENT"}
    assert tags <= allowed, f"{where}: elements {tags - allowed}"
    for a in tree.iter("a"):
        assert a.get("href", "").startswith(LINKS), f"{where}: {a.get('href')}"


def texts(tree):
    """The words of each heading, paragraph and table body cell, in order."""
    heads = {id(c) for t in tree.iter("thead") for c in t.iter()}
    return [" ".join("".join(e.itertext()).split()) for e in elements(tree)
            if e.tag in {"h1", "h2", "h3", "p", "th", "td"} and
            id(e) not in heads]


def page(path):
    parser = html5lib.HTMLParser(strict=True, namespaceHTMLElements=False)
    tree = parser.parse(path.read_bytes())  # raises on the first error
    check_tags(tree, PAGE_TAGS, path)
    return tree


def check_case(case, schema):
    runs = {r.stem: r for r in case.glob("*.expected")}
    report = json.loads(runs["json"].read_bytes())
    jsonschema.validate(report, schema)
    subprocess.run(["/usr/bin/jq", "-e", ".", runs["json"]], check=True,
                   stdout=subprocess.DEVNULL)
    web = page(runs["html"])
    rendered = subprocess.run(["/usr/bin/cmark-gfm", "-e", "table",
                               runs["markdown"]], check=True,
                              capture_output=True).stdout
    markdown = html5lib.parseFragment(rendered.decode("utf-8"),
                                      namespaceHTMLElements=False)
    check_tags(markdown, RENDERED_TAGS, runs["markdown"])
    assert texts(markdown) == texts(web), f"{case}: Markdown and page differ"
    settings = [s for section in [report.get("server")] + report["games"]
                if section for s in section["settings"]]
    labels = [th for th in web.iter("th")]
    assert len(settings) == len(labels), f"{case}: JSON and page differ"


def main(golden, schema_path):
    schema = json.loads(pathlib.Path(schema_path).read_bytes())
    cases = sorted(p.parent for p in pathlib.Path(golden).glob("*/json.args"))
    assert cases, f"no JSON runs below {golden}"
    for case in cases:
        check_case(case, schema)
        print(f"ok: {case.name}")


if __name__ == "__main__":
    main(*sys.argv[1:])
