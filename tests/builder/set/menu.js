function RepGoTo() {}
