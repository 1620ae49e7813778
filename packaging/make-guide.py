#!/usr/bin/env python3
"""Makes the user's guide of the release packages: one HTML page, readable on any system, from the
README's install section and the runner's guide and document format pages, with the pictures
they show copied beside it.

usage: make-guide.py SOURCE_DIR OUTPUT_DIR VERSION

Links between the pages become links inside the page; links to files the guide does not carry
become plain text. A link to a heading that does not exist fails the build.
"""
import html
import os
import re
import shutil
import sys

import markdown

# (file, heading where the part starts or None for the whole file)
PARTS = [("README.md", "## Installing"), ("docs/runner.md", None),
         ("docs/document-format.md", None)]
LINK = re.compile(r"(!?)\[([^\]]*)\]\(([^)\s]+)\)")


def slug(text):
    """A heading's anchor as GitHub makes it, so that the pages' own links keep working."""
    text = re.sub(r"[^\w\- ]", "", text.strip().lower())
    return text.replace(" ", "-")


def part_text(source, name, start):
    text = open(os.path.join(source, name), encoding="utf-8").read()
    if start is None:
        return text
    lines = text.splitlines(keepends=True)
    first = next(i for i, line in enumerate(lines) if line.rstrip() == start)
    level = start.split(" ")[0]
    end = next((i for i in range(first + 1, len(lines))
                if re.match(r"#{1,%d} " % len(level), lines[i])), len(lines))
    return "".join(lines[first:end])


def first_heading(text):
    return slug(re.search(r"^#+ (.+)$", text, re.M).group(1))


def rewrite_links(text, name, titles, images):
    """Links into the guide's own parts become anchors, pictures are collected, other files'
    links become their text."""
    folder = os.path.dirname(name)

    def replace(match):
        bang, label, target = match.groups()
        if re.match(r"[a-z]+:", target) or target.startswith("#"):
            return match.group(0)
        path, _, anchor = target.partition("#")
        path = os.path.normpath(os.path.join(folder, path))
        if bang:
            images.add(path)
            return f"![{label}]({os.path.basename(path)})"
        if path in titles:
            return f"[{label}](#{anchor or titles[path]})"
        return label

    return LINK.sub(replace, text)


def main():
    source, output, version = sys.argv[1:4]
    texts = [(name, part_text(source, name, start)) for name, start in PARTS]
    titles = {name: first_heading(text) for name, text in texts}
    images = set()
    body_md = "\n\n".join(rewrite_links(text, name, titles, images) for name, text in texts)
    converter = markdown.Markdown(extensions=["tables", "fenced_code", "toc"],
                                  extension_configs={"toc": {"slugify": lambda t, _: slug(t),
                                                             "toc_depth": "1-2"}})
    body = converter.convert(body_md)
    # A pipe escaped in a table cell is a plain pipe once the table is made.
    body = re.sub(r"<td>.*?</td>", lambda cell: cell.group(0).replace("\\|", "|"), body)
    ids = set(re.findall(r'id="([^"]+)"', body))
    missing = sorted(set(re.findall(r'href="#([^"]+)"', body)) - ids)
    if missing:
        sys.exit("make-guide.py: links to headings that do not exist: " + ", ".join(missing))
    os.makedirs(output, exist_ok=True)
    for image in sorted(images):
        shutil.copyfile(os.path.join(source, image), os.path.join(output, os.path.basename(image)))
    title = html.escape(f"Tovalinder {version}: user's guide")
    page = f"""<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>{title}</title>
<style>
body {{ font-family: sans-serif; max-width: 60em; margin: 2em auto; padding: 0 1em;
        line-height: 1.45; }}
code, pre {{ background: #f3f3f3; }}
pre {{ padding: 0.6em; overflow-x: auto; }}
table {{ border-collapse: collapse; }}
th, td {{ border: 1px solid #ccc; padding: 0.25em 0.5em; vertical-align: top; }}
img {{ max-width: 100%; }}
</style>
</head>
<body>
<p><strong>{title}</strong></p>
<nav>{converter.toc}</nav>
{body}
</body>
</html>
"""
    with open(os.path.join(output, "guide.html"), "w", encoding="utf-8") as page_file:
        page_file.write(page)


if __name__ == "__main__":
    main()
