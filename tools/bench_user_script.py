#!/usr/bin/env python3
"""The renewal as a user's own script would do it, for scripts/bench to measure korvan against: the
four requests of a run (login, VPS list, renewal page, renewal form) with a cookie jar, standard
library only, against the panel at --site (tools/fake_panel.py in the bench). Prints the verdict.

  bench_user_script.py --site http://127.0.0.1:18960 --user demo --password 'pa ss&1'
"""
import argparse
import http.cookiejar
import re
import sys
import urllib.parse
import urllib.request


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--site", required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    args = parser.parse_args()
    opener = urllib.request.build_opener(urllib.request.HTTPCookieProcessor(http.cookiejar.CookieJar()))

    def ask(path, form=None):
        body = urllib.parse.urlencode(form, encoding="gbk").encode() if form is not None else None
        with opener.open(urllib.request.Request(args.site + path, data=body), timeout=15) as answer:
            return answer.read().decode("gbk", "replace")

    login = ask("/user/usertop_login.asp", {"username": args.user, "password": args.password,
                                            "Submit.x": "40", "Submit.y": "5"})
    if "top.location='/default.asp'" not in login:
        print("login failed")
        return 1
    found = re.search(r"vpsadm2\.asp\?id=(\d+)&go=c", ask("/user/vpsadm.asp"))
    if not found:
        print("no VPS")
        return 1
    page = ask("/vpsadm/selfvpsmodifyrepay.asp?id=" + found.group(1))
    expiry = re.search("到期时间：(.*?)</TD>", page)
    verdict = ask("/vpsadm/selfvpsmodifyendtime.asp",
                  {"year": "9001", "moneynow": "0", "id": found.group(1), "Submit": "马上续期"})
    print("expiry %s; %s" % (expiry.group(1) if expiry else "?", urllib.parse.unquote(verdict)[:80]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
