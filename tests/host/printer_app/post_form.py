#!/usr/bin/env python3
"""Posts a web form of the printer application the way a browser does.

Usage: post_form.py URL [NAME=VALUE | NAME=off]...

Fetches the page at URL, takes its first form (the hidden CSRF token PAPPL
puts in every form included), keeps every field as the page shows it
(text and number inputs, checked checkboxes and radio buttons, selected
options) but those given (NAME=off unchecks a checkbox), and posts the form
to its action. Prints the page the server answers with; exits 1 when the
server does not answer 200 OK.
"""
import html.parser
import sys
import urllib.error
import urllib.parse
import urllib.request


class Form(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.action = None
        self.fields = []  # (name, value) in page order
        self.in_form = False
        self.select = None

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == "form" and self.action is None:
            self.action, self.in_form = a.get("action", ""), True
        elif not self.in_form:
            return
        elif tag == "input" and a.get("name"):
            kind = a.get("type", "text")
            if kind in ("checkbox", "radio"):
                if "checked" in a:
                    self.fields.append((a["name"], a.get("value", "on")))
            elif kind not in ("submit", "button", "file"):
                self.fields.append((a["name"], a.get("value", "")))
        elif tag == "select":
            self.select = a.get("name")
        elif tag == "option" and self.select and "selected" in a:
            self.fields.append((self.select, a.get("value", "")))

    def handle_endtag(self, tag):
        if tag == "select":
            self.select = None
        elif tag == "form":
            self.in_form = False


def main(argv):
    if len(argv) < 2:
        sys.exit(__doc__)
    url = argv[1]
    page = urllib.request.urlopen(url, timeout=10).read().decode()
    form = Form()
    form.feed(page)
    if form.action is None:
        sys.exit(f"{url} has no form")
    fields = form.fields
    for change in argv[2:]:
        name, value = change.split("=", 1)
        fields = [(n, v) for n, v in fields if n != name]
        if value != "off":
            fields.append((name, value))
    body = urllib.parse.urlencode(fields).encode()
    target = urllib.parse.urljoin(url, form.action)
    request = urllib.request.Request(target, data=body, headers={
        "Content-Type": "application/x-www-form-urlencoded", "Referer": url})
    try:
        reply = urllib.request.urlopen(request, timeout=10)
    except urllib.error.HTTPError as error:
        sys.exit(f"POST {target}: {error.code} {error.reason}")
    print(reply.read().decode())


if __name__ == "__main__":
    main(sys.argv)
